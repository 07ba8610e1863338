// Counts of errors |s - q| by their binary exponent and leading mantissa
// bits: the quantiles of the error in one pass and fixed memory, each within
// a relative 2^-10 of the exact order statistic.
#pragma once

#include <cstdint>
#include <memory>

namespace gridcmp {

// An error falls in one of 2^20 bins: its exponent field (11 bits) and the
// first 9 bits of its mantissa, so that a bin spans a relative 2^-9 and its
// midpoint lies within 2^-10 of every value in it (for errors of 2^-1022 and
// more; below, within 2^-1032). Bins are kept in pages of one exponent,
// allocated when an error of that exponent is first met: 4 KiB each, at
// most 8 MiB, a few pages for the errors of one field.
constexpr int kHistogramPages = 2048;
constexpr int kHistogramPageBins = 512;

struct ErrorHistogram {
    std::unique_ptr<std::uint64_t[]> pages[kHistogramPages];
    std::uint64_t* counting[kHistogramPages] = {};  // the pages counted in since the last clear; nullptr: not ...
    std::uint16_t met[kHistogramPages];  // ... and which ones, in the order met
    int metCount = 0;
    long long zeros = 0;  // errors that are exactly 0 (their bin holds the tiniest subnormals too)
    long long cells = 0;  // every error counted
};

// Counts errors[0..count), each 0, a positive number, inf or nan (a nan is
// taken for a quiet one: above inf). Allocates a page for each exponent met
// for the first time (std::bad_alloc when there is no memory).
void addErrors(ErrorHistogram& histogram, const double* errors, int count);

// Adds the counts of `from` into `into` (the pages `from` met since its last
// clear).
void mergeHistogram(ErrorHistogram& into, const ErrorHistogram& from);

// Empties the counts, keeping the pages for reuse.
void clearHistogram(ErrorHistogram& histogram);

// The errors at rank ceil(p * cells) in ascending order (nan last) for p =
// 0.5, 0.9, 0.99 and 0.999: 0 when that error is 0, inf or nan when it is,
// else the midpoint of its bin. All nan when nothing was counted.
constexpr int kQuantileCount = 4;
void quantilesOf(const ErrorHistogram& histogram, double quantiles[kQuantileCount]);

}  // namespace gridcmp
