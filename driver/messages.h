// gridcmp's own texts before the report: the banner and usage, and the echo
// line of the two file names.
#pragma once

#include <cstdio>

namespace gridcmp {

// The banner and usage text, for a command line without two file names.
void writeUsage(std::FILE* out);

// "Archivo original: " ORIGINAL " quantificado:" QUANTIZED, then a newline.
void writeEchoLine(std::FILE* out, const char* originalName, const char* quantizedName);

}  // namespace gridcmp
