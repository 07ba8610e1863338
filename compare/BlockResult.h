// What one completed block reports.
#pragma once

#include "compare/ErrorAccumulators.h"

namespace gridcmp {

constexpr int kPrintedLabelChars = 12;

struct BlockResult {
    double counter = 0.0;                     // blocks completed before this one
    char label[kPrintedLabelChars + 1] = {};  // the original's time label, cut to 12 characters
    const char* wholeLabel = "";              // the whole label; valid only while the result is received
    int columns = 0;                          // values of the block's last quantized row
    long long rows = 0;                       // row pairs compared
    long long cells = 0;                      // columns x rows
    // Block sums and running totals, each divided by this block's cells.
    double blockRelativeMean = 0.0;
    double totalRelativeMean = 0.0;
    double blockAbsoluteMean = 0.0;
    double totalAbsoluteMean = 0.0;
    // The sums themselves, and the cells of every block completed so far this
    // one included: the running totals over all the cells they were taken from.
    ErrorAccumulators sums;
    long long totalCells = 0;
};

// The running means over every cell compared so far: the sums since the start
// over all their cells (the report divides them by this block's cells).
inline double runningRelativeMean(const BlockResult& result) {
    return result.sums.totalRelative / static_cast<double>(result.totalCells);
}
inline double runningAbsoluteMean(const BlockResult& result) {
    return result.sums.totalAbsolute / static_cast<double>(result.totalCells);
}

// Receives each completed block, in block order.
struct ResultSink {
    void (*receive)(void* context, const BlockResult& result) = nullptr;
    void* context = nullptr;
};

}  // namespace gridcmp
