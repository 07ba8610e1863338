// What one completed block reports.
#pragma once

#include "compare/ErrorAccumulators.h"

namespace gridcmp {

struct BlockStatistics;

struct BlockResult {
    double counter = 0.0;                     // blocks completed before this one
    const char* label = "";                   // the original's time label, whole; valid only while received
    int columns = 0;                          // values of the block's last quantized row
    long long rows = 0;                       // row pairs compared
    long long cells = 0;                      // columns x rows
    // Block sums and running totals, each divided by this block's cells.
    double blockRelativeMean = 0.0;
    double totalRelativeMean = 0.0;
    double blockAbsoluteMean = 0.0;
    double totalAbsoluteMean = 0.0;
    // The sums themselves, and the cells they were taken from: the cells of
    // this block's row pairs (each as wide as its quantized row, which
    // `cells` is not when the rows differ in width), and those of every
    // block completed so far, this one included.
    ErrorAccumulators sums;
    long long cellsCompared = 0;
    long long totalCellsCompared = 0;
    // The block's and the run's statistics, for a receiver that keeps them
    // (ComparisonReceiver::statistics); else nullptr.
    const BlockStatistics* statistics = nullptr;
};

// The block's means over the cells compared in it (the report divides its
// sums by columns x rows).
inline double blockRelativeMeanOverCompared(const BlockResult& result) {
    return result.sums.blockRelative / static_cast<double>(result.cellsCompared);
}
inline double blockAbsoluteMeanOverCompared(const BlockResult& result) {
    return result.sums.blockAbsolute / static_cast<double>(result.cellsCompared);
}

// The running means over every cell compared so far: the sums since the start
// over all their cells (the report divides them by this block's cells).
inline double runningRelativeMean(const BlockResult& result) {
    return result.sums.totalRelative / static_cast<double>(result.totalCellsCompared);
}
inline double runningAbsoluteMean(const BlockResult& result) {
    return result.sums.totalAbsolute / static_cast<double>(result.totalCellsCompared);
}

}  // namespace gridcmp
