#include "compare/errorHistogram.h"

#include <cmath>
#include <cstring>

#include "platform/doubleBits.h"

namespace gridcmp {

namespace {

constexpr int kMantissaShift = 52 - 9;  // the bits below a bin's

// The bins of a page, which starts being counted in: allocated the first
// time, empty since the last clear.
std::uint64_t* startPage(ErrorHistogram& histogram, int page) {
    std::unique_ptr<std::uint64_t[]>& bins = histogram.pages[page];
    if (!bins) bins.reset(new std::uint64_t[kHistogramPageBins]());
    histogram.counting[page] = bins.get();
    histogram.met[histogram.metCount++] = static_cast<std::uint16_t>(page);
    return bins.get();
}

}  // namespace

void addErrors(ErrorHistogram& histogram, const double* errors, int count) {
    long long zeros = 0;
    for (int i = 0; i < count; ++i) {
        std::uint64_t bits = bitsOf(errors[i]) & ~(std::uint64_t{1} << 63);  // a nan's sign too
        int page = static_cast<int>(bits >> 52);
        std::uint64_t* bins = histogram.counting[page];
        if (!bins) bins = startPage(histogram, page);
        ++bins[(bits >> kMantissaShift) & (kHistogramPageBins - 1)];
        zeros += bits == 0;
    }
    histogram.zeros += zeros;
    histogram.cells += count;
}

void mergeHistogram(ErrorHistogram& into, const ErrorHistogram& from) {
    for (int i = 0; i < from.metCount; ++i) {
        int page = from.met[i];
        const std::uint64_t* source = from.pages[page].get();
        std::uint64_t* target = into.counting[page];
        if (!target) target = startPage(into, page);
        for (int bin = 0; bin < kHistogramPageBins; ++bin) target[bin] += source[bin];
    }
    into.zeros += from.zeros;
    into.cells += from.cells;
}

void clearHistogram(ErrorHistogram& histogram) {
    for (int i = 0; i < histogram.metCount; ++i) {
        int page = histogram.met[i];
        std::memset(histogram.pages[page].get(), 0, kHistogramPageBins * sizeof(std::uint64_t));
        histogram.counting[page] = nullptr;
    }
    histogram.metCount = 0;
    histogram.zeros = 0;
    histogram.cells = 0;
}

void quantilesOf(const ErrorHistogram& histogram, double quantiles[kQuantileCount]) {
    static const long long kPerMille[kQuantileCount] = {500, 900, 990, 999};
    long long n = histogram.cells;
    long long ranks[kQuantileCount];
    for (int k = 0; k < kQuantileCount; ++k) {
        quantiles[k] = std::nan("");
        // ceil(p * n) in integers: no rounding of p * n. (n * 999 stays far
        // below the largest long long for any count of cells read.)
        ranks[k] = (n * kPerMille[k] + 999) / 1000;
    }
    if (n == 0) return;
    int k = 0;
    for (; k < kQuantileCount && ranks[k] <= histogram.zeros; ++k) quantiles[k] = 0.0;
    long long below = histogram.zeros;  // errors ranked before the bin looked at
    for (int page = 0; page < kHistogramPages && k < kQuantileCount; ++page) {
        const std::uint64_t* bins = histogram.counting[page];
        if (!bins) continue;
        for (int bin = 0; bin < kHistogramPageBins && k < kQuantileCount; ++bin) {
            long long inBin = static_cast<long long>(bins[bin]) - (page == 0 && bin == 0 ? histogram.zeros : 0);
            below += inBin;
            std::uint64_t low = (static_cast<std::uint64_t>(page) << 52) | (static_cast<std::uint64_t>(bin) << kMantissaShift);
            // The bin's midpoint: its next mantissa bit set; inf and nan as
            // they are.
            double value = page == kHistogramPages - 1 ? (bin == 0 ? HUGE_VAL : std::nan(""))
                                                       : fromBits(low | (std::uint64_t{1} << (kMantissaShift - 1)));
            for (; k < kQuantileCount && ranks[k] <= below; ++k) quantiles[k] = value;
        }
    }
}

}  // namespace gridcmp
