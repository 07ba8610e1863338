// The cells file (--cells LABEL FILE): every compared cell of the blocks
// labelled LABEL, in every run, one tab-separated row each under a header
// line: a map of the error over the grid, streamed as the blocks are read.
#pragma once

#include <cstdio>

#include "compare/ComparisonReceiver.h"

namespace gridcmp {

// The header line, with its newline: run, label, row, column, original,
// quantized, absolute, relative.
void writeCellsHeader(std::FILE* out);

// One row per cell of the row pair; numbers as in the table.
void writeCellsRows(std::FILE* out, const char* run, const RowPair& pair);

}  // namespace gridcmp
