// How much each row of a block weighs in the weighted figures: the cosine of
// its latitude on a latitude-longitude grid, or a weight given per row.
#pragma once

#include <vector>

namespace gridcmp {

struct RowWeights {
    enum class Kind { none, latitudes, perRow } kind = Kind::none;
    // latitudes: row 1 lies at firstLatitude and the block's last row at
    // lastLatitude, in degrees, the rows evenly spaced between them.
    double firstLatitude = 0.0;
    double lastLatitude = 0.0;
    std::vector<double> values;  // perRow: the weight of row 1, row 2 ...
    int exponent = 0;            // perRow: each value weighs values[i] * 2^exponent (scaleRowWeights)
};

// The weight of row `row` (from 1) of a block of `rows` rows: with latitudes,
// cos(latitude * (pi / 180)) (platform/portableMath.h: the same bits on
// every machine) where the latitude is
// first + ((last - first) * (row - 1)) / (rows - 1) (first when `rows` is 1;
// first and last within [-90, 90], and so the latitude, rounding aside);
// per row, values[row - 1] * 2^exponent, or nan for a row beyond the
// values. 1 without weights. Allocates nothing.
double rowWeight(const RowWeights& weights, long long row, long long rows);

// Sets the exponent of per-row weights whose largest lies outside
// [2^-64, 2^64] so that it weighs in [1, 2); 0 otherwise. Every weighted
// figure is a ratio of sums of w * x, which a power of two scales exactly,
// so no figure changes, except where w * x would have passed the smallest
// or the largest double (weights of 1e-320 gave an rmse of 0).
void scaleRowWeights(RowWeights& weights);

}  // namespace gridcmp
