// The message that says why a run ended early; it follows the report.
#pragma once

#include <cstdio>

#include "compare/RunEnd.h"
#include "gridlog/GridLogReader.h"

namespace gridcmp {

// Writes the message for `end`, with its newline; nothing for a run that
// ended with either log (RunEnd::logEnded). Reads the faults, their lines and
// the labels from the readers.
void writeEndMessage(std::FILE* out, RunEnd end, const GridLogReader& original, const GridLogReader& quantized);

}  // namespace gridcmp
