// The four error sums of a comparison run.
#pragma once

#include <cmath>

struct ErrorAccumulators {
    double blockRelative = 0.0;  // |1 - s/q| over the current block
    double totalRelative = 0.0;  // |1 - s/q| since the start
    double blockAbsolute = 0.0;  // |s - q| over the current block
    double totalAbsolute = 0.0;  // |s - q| since the start
};

// Adds one cell pair, s from the original run and q from the quantized run.
// Each sum is added to in this order, in double precision: the report's ten
// digits show any reordering. A zero q gives inf, or nan when s is zero too.
inline void accumulateCell(ErrorAccumulators& sums, double s, double q) {
    double relative = std::fabs(1.0 - s / q);
    double absolute = std::fabs(s - q);
    sums.blockRelative += relative;
    sums.totalRelative += relative;
    sums.blockAbsolute += absolute;
    sums.totalAbsolute += absolute;
}

// Starts the next block: the running totals carry on.
inline void startNextBlock(ErrorAccumulators& sums) {
    sums.blockRelative = 0.0;
    sums.blockAbsolute = 0.0;
}
