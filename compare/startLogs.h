// The start of a comparison: both logs' start lines checked and their first
// time labels taken.
#pragma once

#include "compare/RunEnd.h"
#include "gridlog/GridLogReader.h"

namespace gridcmp {

// Reads each log's start line (original first), checks that neither log is
// empty and that both start with a time line, and takes both first labels.
// Returns RunEnd::running when both readers stand on the first data row of
// their first block, else how the run ends. Expects both readers opened
// (openLog or attachLog) and not yet read.
RunEnd startLogs(GridLogReader& original, GridLogReader& quantized);

}  // namespace gridcmp
