// The baseline readers' one line of report per block: their own sums, written
// by gridcmp's report writer, so that their reports can be compared with
// gridcmp's byte for byte.
#pragma once

#include "report/ReportWriter.h"

inline void writeBaselineBlock(gridcmp::ReportWriter& report, double counter, const char* label, int columns,
                               long long rows, double blockRel, double totalRel, double blockAbs, double totalAbs) {
    gridcmp::BlockResult result;
    result.counter = counter;
    result.label = label;  // the report prints its first 12 characters
    result.columns = columns;
    result.rows = rows;
    result.cells = static_cast<long long>(columns) * rows;
    double cells = static_cast<double>(result.cells);
    result.blockRelativeMean = blockRel / cells;
    result.totalRelativeMean = totalRel / cells;
    result.blockAbsoluteMean = blockAbs / cells;
    result.totalAbsoluteMean = totalAbs / cells;
    writeBlock(report, result);
}
