// gridcmp's own texts around the report: the banner and usage, the echo line
// of the two file names, and the message for a system out of memory.
#pragma once

#include <cstdio>

namespace gridcmp {

// The banner and usage text, for a command line without two file names.
void writeUsage(std::FILE* out);

// "Archivo original: " ORIGINAL " quantificado:" QUANTIZED, then a newline.
void writeEchoLine(std::FILE* out, const char* originalName, const char* quantizedName);

// "Memoria insuficiente", then a newline: the system could not give the
// memory the comparison takes.
void writeOutOfMemory(std::FILE* out);

}  // namespace gridcmp
