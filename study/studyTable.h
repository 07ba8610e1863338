// The study table: one tab-separated row per compared block of every run,
// under a header line, every number at full precision.
#pragma once

#include <cstdio>

#include "compare/BlockResult.h"

namespace gridcmp {

// The header line, with its newline.
void writeTableHeader(std::FILE* out);

// One row: the run, the block counter, the whole label, columns, rows, cells,
// the four means of the report, and the running means over every cell
// compared so far. Numbers as %.17g (they read back to the same double),
// "nan" and "inf" as such; texts escaped (escapedText.h), so that nothing in
// them ends a field or a row.
void writeTableRow(std::FILE* out, const char* run, const BlockResult& result);

}  // namespace gridcmp
