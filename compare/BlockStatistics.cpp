#include "compare/BlockStatistics.h"

#include <cmath>
#include <cstdint>

#include "compare/fieldBits.h"
#include "platform/DoublePair.h"
#include "platform/doubleBits.h"
#include "platform/portableMath.h"

namespace gridcmp {

namespace {

bool finiteMoments(const Moments& moments) {
    return std::isfinite(moments.originalMean) && std::isfinite(moments.quantizedMean) &&
           std::isfinite(moments.originalSquares) && std::isfinite(moments.quantizedSquares) &&
           std::isfinite(moments.coSquares);
}

// Pools the moments of two disjoint sets of cells (the pairwise update):
// deviations are taken from each set's own means, so nothing cancels. A set
// that weighs nothing adds nothing, but a nan or inf among its cells (a row
// weighed 0) makes the moments nan, as it makes the weighted sums.
void mergeMoments(Moments& into, const Moments& from) {
    if (from.weight == 0.0) {
        if (!finiteMoments(from)) into.originalSquares = into.quantizedSquares = into.coSquares = std::nan("");
        return;
    }
    if (into.weight == 0.0 && finiteMoments(into)) {
        into = from;
        return;
    }
    double a = into.weight;
    double b = from.weight;
    double n = a + b;
    double originalStep = from.originalMean - into.originalMean;
    double quantizedStep = from.quantizedMean - into.quantizedMean;
    double weight = a * b / n;
    into.originalMean += originalStep * (b / n);
    into.quantizedMean += quantizedStep * (b / n);
    into.originalSquares += from.originalSquares + originalStep * originalStep * weight;
    into.quantizedSquares += from.quantizedSquares + quantizedStep * quantizedStep * weight;
    into.coSquares += from.coSquares + originalStep * quantizedStep * weight;
    into.weight += from.weight;
}

// The larger of two ratios, nan where either is.
double largerOrNan(double a, double b) { return std::isnan(a) || std::isnan(b) ? std::nan("") : a > b ? a : b; }

// Whether an error replaces the extreme so far: a nan replaces any number
// and stays; a number replaces only a smaller one, so that the first cell
// where the largest error is reached stays.
bool outranks(double error, bool noneYet, double largest) {
    if (noneYet) return true;
    if (std::isnan(largest)) return false;
    return std::isnan(error) || error > largest;
}

bool beats(double error, const ExtremeCell& extreme) { return outranks(error, extreme.at.row == 0, extreme.error); }

bool mergeExtreme(ExtremeCell& into, const ExtremeCell& from) {
    if (from.at.row == 0 || !beats(from.error, into)) return false;
    into = from;
    return true;
}

// The run's first cell of a kind is the first block's that has one.
bool mergeFirst(CellAt& into, const CellAt& from) {
    if (into.row != 0 || from.row == 0) return false;
    into = from;
    return true;
}

// A part without any s (its range nan) neither lowers nor raises the other's.
void mergeRange(StatisticsPart& into, const StatisticsPart& from) {
    if (std::isnan(from.lowestOriginal)) return;
    if (!(from.lowestOriginal >= into.lowestOriginal)) into.lowestOriginal = from.lowestOriginal;
    if (!(from.highestOriginal <= into.highestOriginal)) into.highestOriginal = from.highestOriginal;
}

}  // namespace

void startStatistics(BlockStatistics& statistics) {
    statistics.block = StatisticsPart();
    statistics.run = StatisticsPart();
    statistics.block.isWeighted = statistics.settings.weights.kind != RowWeights::Kind::none;
    statistics.run.isWeighted = statistics.block.isWeighted;
    clearHistogram(statistics.blockErrors);
    clearHistogram(statistics.runErrors);
    statistics.previousCount = 0;
    statistics.rowsToWeigh.clear();
    statistics.runLargestAbsoluteInBlock = false;
    statistics.runLargestRelativeInBlock = false;
    statistics.runFirstNonfiniteOriginalInBlock = false;
    statistics.runFirstNonfiniteQuantizedInBlock = false;
    statistics.originalBitCounter = BitPairCounter();
    statistics.quantizedBitCounter = BitPairCounter();
    statistics.originalAtFullPrecision = false;
    statistics.pastFirstBitsBlock = false;
}

namespace {

// The first cell of the row whose error is `largest`.
int firstAt(const double* errors, int count, double largest) {
    int i = 0;
    while (i < count && !(errors[i] == largest)) ++i;
    return i;
}

CellAt cellAt(const double* s, const double* q, int i, RowAt at) {
    return CellAt{at.row, i + 1, at.line, at.quantizedLine, s[i], q[i]};
}

// The largest error of a row, and its first cell (-1: none).
struct RowExtreme {
    double error;
    int index;
};

void noteIfBeats(ExtremeCell& extreme, RowExtreme row, const double* s, const double* q, RowAt at) {
    if (row.index >= 0 && beats(row.error, extreme)) extreme = ExtremeCell{row.error, cellAt(s, q, row.index, at)};
}

// A row with a cell that cannot be divided or summed, cell by cell: each
// such cell counted in its kind, the first of each kind noted, and the
// row's extremes as they rank nan and inf.
void addUnusualRow(StatisticsPart& block, const double* s, const double* q, const RowTerms& terms, int count,
                   RowAt at, RowExtreme& largestAbsolute, RowExtreme& largestRelative) {
    const double infinity = HUGE_VAL;
    const double nan = std::nan("");
    largestAbsolute = {nan, -1};
    largestRelative = {nan, -1};
    auto rank = [](RowExtreme& extreme, double error, int i) {
        if (outranks(error, extreme.index < 0, extreme.error)) extreme = {error, i};
    };
    for (int i = 0; i < count; ++i) {
        bool originalFinite = std::fabs(s[i]) < infinity;
        bool quantizedFinite = std::fabs(q[i]) < infinity;
        if (!originalFinite) {
            if (block.nonfiniteOriginal++ == 0) block.firstNonfiniteOriginal = cellAt(s, q, i, at);
        } else if (!quantizedFinite) {
            if (block.nonfiniteQuantized++ == 0) block.firstNonfiniteQuantized = cellAt(s, q, i, at);
        } else {
            block.zeroQuantized += q[i] == 0.0;
        }
        block.nonfiniteCells += !(originalFinite && quantizedFinite);
        rank(largestAbsolute, terms.absolute[i], i);
        if (q[i] != 0.0) rank(largestRelative, originalFinite && quantizedFinite ? terms.relative[i] : nan, i);
    }
}

}  // namespace

namespace {

// Brings a positive normal product back to [0.5, 1), its binary exponent
// moved to `exponent` (exactly: only the exponent field changes). A nan is
// left as it is.
void renormalize(double& product, long long& exponent) {
    std::uint64_t bits = bitsOf(product);
    int field = static_cast<int>((bits >> 52) & 0x7ff);
    if (field == 0 || field == 0x7ff) return;
    exponent += field - 1022;
    product = fromBits((bits & ~(std::uint64_t{0x7ff} << 52)) | (std::uint64_t{1022} << 52));
}

// What a row gives to the error's figures beyond the sums.
struct RowErrors {
    double digits;         // the sum of its cells' digits of agreement
    double largestRatio;   // the largest |s - q| / max(|s|, |q|) where s != q; nan if one is
    double difference;     // the sum of s - q, in cell order
    long long overTolerance;
};

// One cell's part of errorsOfRow, in one of its lanes.
struct DigitsLane {
    double product = 1.0;  // of the ratios
    double largest = 0.0;  // the largest ratio where s != q

    void add(double s, double q, double absolute, long long& equal) {
        bool same = s == q;
        double magnitude = std::fabs(s) > std::fabs(q) ? std::fabs(s) : std::fabs(q);
        double ratio = absolute / magnitude;  // nan where s or q is (or both are inf)
        product *= same ? 1.0 : ratio;
        double shown = same ? 0.0 : ratio;
        largest = shown > largest ? shown : largest;
        equal += same;
    }
};

// A cell's digits are -log10 of its ratio |s - q| / max(|s|, |q|), or 17
// where s = q. For distinct doubles the ratio lies between 2^-54 and 2 (or is
// nan), so the row's sum is taken as -log10 of the product of its ratios:
// one logarithm per row where one per cell would cost a quarter of the
// study's time. The product runs in four lanes, each brought back to
// [0.5, 1) every eight of its cells, long before it could underflow; its
// rounding moves the sum by far less than 1e-12 of it. Writes each cell's
// error s - q to `errors`. Out of line: inlined into addRowStatistics, its
// loops shared the registers with the caller's sums, and the sum of the
// errors went through memory cell by cell (the study took a tenth longer).
[[gnu::noinline]] RowErrors errorsOfRow(const double* s, const double* q, const double* absolute, int count,
                                        double tolerance, double* errors) {
    DigitsLane lanes[4];
    long long exponent = 0;
    long long equal = 0;
    long long over = 0;
    double difference = 0.0;
    for (int i = 0; i < count; ++i) {
        errors[i] = s[i] - q[i];
        difference += errors[i];
        over += !(absolute[i] <= tolerance);
    }
    int i = 0;
    while (i < count) {
        int end = count - i > 32 ? i + 32 : count;
        for (; i + 4 <= end; i += 4) {
            lanes[0].add(s[i], q[i], absolute[i], equal);
            lanes[1].add(s[i + 1], q[i + 1], absolute[i + 1], equal);
            lanes[2].add(s[i + 2], q[i + 2], absolute[i + 2], equal);
            lanes[3].add(s[i + 3], q[i + 3], absolute[i + 3], equal);
        }
        for (; i < end; ++i) lanes[0].add(s[i], q[i], absolute[i], equal);
        for (DigitsLane& lane : lanes) renormalize(lane.product, exponent);
    }
    double mantissas = (lanes[0].product * lanes[1].product) * (lanes[2].product * lanes[3].product);  // >= 1/16
    const double log10Of2 = 0.30102999566398119521;
    double digits = 17.0 * static_cast<double>(equal) - (static_cast<double>(exponent) + portableLog2(mantissas)) * log10Of2;
    double largestRatio = std::isnan(digits) ? std::nan("")
                                             : largerOrNan(largerOrNan(lanes[0].largest, lanes[1].largest),
                                                           largerOrNan(lanes[2].largest, lanes[3].largest));
    return RowErrors{digits, largestRatio, difference, over};
}

// Whether the `count` values are one finite value.
bool oneFiniteValue(const double* x, int count) {
    if (count == 0 || !(std::fabs(x[0]) < HUGE_VAL)) return false;
    int i = 1;
    while (i < count && x[i] == x[0]) ++i;
    return i == count;
}

// A member of the moments (`x`, the first members of `count` pairs, or `y`,
// the second) whose values are all one finite value has that value for its
// mean and no squares of deviations, which the rounding of its sum would
// leave a little off (a frozen field then had a spread, and a row's single
// pair of errors of different sizes a mean lost to cancellation). Only a
// member whose squares are as small as that rounding could leave them is
// looked at value by value: a constant member's mean is off by at most about
// count * 2^-53 of its value, its squares by count^3 * 2^-106 of its
// square, far below count * 2^-40 of it for rows as wide as a block's.
void holdConstantMembers(Moments& moments, const double* x, const double* y, int count) {
    auto nearlyFlat = [count](double squares, double mean) { return squares <= count * mean * mean * 0x1p-40; };
    bool first = nearlyFlat(moments.originalSquares, moments.originalMean) && oneFiniteValue(x, count);
    bool second = nearlyFlat(moments.quantizedSquares, moments.quantizedMean) && oneFiniteValue(y, count);
    if (first) {
        moments.originalMean = x[0];
        moments.originalSquares = 0.0;
        moments.coSquares = 0.0;
    }
    if (second) {
        moments.quantizedMean = y[0];
        moments.quantizedSquares = 0.0;
        moments.coSquares = 0.0;
    }
}

// The moments of pairs (x, y) from their sums of squares and co-squares of
// deviations from the means.
Moments momentsOf(int count, double xMean, double yMean, DoublePair squares, double coSquares) {
    Moments moments;
    moments.weight = count;
    moments.originalMean = xMean;
    moments.quantizedMean = yMean;
    moments.originalSquares = firstOf(squares);
    moments.quantizedSquares = secondOf(squares);
    moments.coSquares = coSquares;
    return moments;
}

// The errors of horizontally adjacent cells of the row, and of vertically
// adjacent ones with the previous row of the block (errors `above`), each
// member of a pair with its own mean, then the deviations from it, in one
// pass; then keeps this row's errors for the next. `difference` is the
// sum of the row's errors. (Not its sum of s less its sum of q: their
// rounding is of the size of s, and errors of the last bits of s would be
// taken about a mean off by as much as they are.)
void addErrorPairs(BlockStatistics& statistics, int count, double difference) {
    StatisticsPart& block = statistics.block;
    const double* e = statistics.rowErrors.data();
    const double* above = statistics.previousErrors.data();
    int rowPairs = count - 1;  // (e[i], e[i + 1])
    int columnPairs = statistics.previousCount < count ? statistics.previousCount : count;  // (above[i], e[i])
    DoublePair rowMeans = pairOf(0.0, 0.0);
    DoublePair columnMeans = pairOf(0.0, 0.0);
    if (rowPairs > 0) {
        // The first members are cells 0 .. count - 2, the second 1 .. count - 1.
        rowMeans = pairOf((difference - e[count - 1]) / rowPairs, (difference - e[0]) / rowPairs);
    }
    if (columnPairs > 0) {
        double xSum = statistics.previousErrorSum;
        double ySum = difference;
        if (statistics.previousCount != count) {  // rows of different widths: the columns both have
            xSum = 0.0;
            ySum = 0.0;
            for (int i = 0; i < columnPairs; ++i) {
                xSum += above[i];
                ySum += e[i];
            }
        }
        columnMeans = pairOf(xSum / columnPairs, ySum / columnPairs);
    }
    DoublePair rowSquares = pairOf(0.0, 0.0);
    DoublePair columnSquares = pairOf(0.0, 0.0);
    double rowCoSquares = 0.0;
    double columnCoSquares = 0.0;
    int both = rowPairs < columnPairs ? rowPairs : columnPairs;
    int i = 0;
    for (; i < both; ++i) {
        DoublePair row = pairOf(e[i], e[i + 1]) - rowMeans;
        DoublePair column = pairOf(above[i], e[i]) - columnMeans;
        rowSquares = rowSquares + row * row;
        columnSquares = columnSquares + column * column;
        rowCoSquares += firstOf(row) * secondOf(row);
        columnCoSquares += firstOf(column) * secondOf(column);
    }
    for (int k = i; k < rowPairs; ++k) {
        DoublePair row = pairOf(e[k], e[k + 1]) - rowMeans;
        rowSquares = rowSquares + row * row;
        rowCoSquares += firstOf(row) * secondOf(row);
    }
    for (int k = i; k < columnPairs; ++k) {
        DoublePair column = pairOf(above[k], e[k]) - columnMeans;
        columnSquares = columnSquares + column * column;
        columnCoSquares += firstOf(column) * secondOf(column);
    }
    if (rowPairs > 0) {
        Moments moments = momentsOf(rowPairs, firstOf(rowMeans), secondOf(rowMeans), rowSquares, rowCoSquares);
        holdConstantMembers(moments, e, e + 1, rowPairs);
        mergeMoments(block.rowErrorPairs, moments);
    }
    if (columnPairs > 0) {
        Moments moments =
            momentsOf(columnPairs, firstOf(columnMeans), secondOf(columnMeans), columnSquares, columnCoSquares);
        holdConstantMembers(moments, above, e, columnPairs);
        mergeMoments(block.columnErrorPairs, moments);
    }
    statistics.previousErrors.swap(statistics.rowErrors);
    statistics.previousCount = count;
    statistics.previousErrorSum = difference;
}

// Whether another row of the block can be kept for weighing; else it
// weighs nan.
bool roomToWeigh(BlockStatistics& statistics) {
    if (statistics.rowsToWeigh.size() < static_cast<std::size_t>(kMaxWeighedRows)) return true;
    ++statistics.block.rowsWithoutWeight;
    return false;
}

// Keeps a row's sums for weighing when its block ends.
void keepRowToWeigh(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms, int count,
                    const RowErrors& errors, double original, double quantized, double relative,
                    const Moments& moments) {
    if (!roomToWeigh(statistics)) return;
    double squares = 0.0;
    double absolute = 0.0;
    for (int i = 0; i < count; ++i) {
        double difference = s[i] - q[i];
        squares += difference * difference;
        absolute += terms.absolute[i];
    }
    statistics.rowsToWeigh.push_back(
        RowSums{count, errors.difference, squares, original, quantized, absolute, relative, errors.digits, moments});
}

// Adds a row's sums, weighing `weight` each cell, to weighted sums.
void addWeighted(StatisticsPart::Weighted& into, const RowSums& row, double weight) {
    into.weight += weight * row.cells;
    into.difference += weight * row.difference;
    into.squaredDifference += weight * row.squaredDifference;
    into.original += weight * row.original;
    into.quantized += weight * row.quantized;
    into.absolute += weight * row.absolute;
    into.relative += weight * row.relative;
    into.digits += weight * row.digits;
    Moments moments = row.moments;
    moments.weight = weight * row.cells;
    moments.originalSquares *= weight;
    moments.quantizedSquares *= weight;
    moments.coSquares *= weight;
    mergeMoments(into.moments, moments);
}

// Weighs the block's rows, now that their number is known, into the block's
// and the run's weighted sums. A row without a weight makes both nan.
void weighBlock(BlockStatistics& statistics) {
    StatisticsPart& block = statistics.block;
    StatisticsPart& run = statistics.run;
    long long rows = static_cast<long long>(statistics.rowsToWeigh.size()) + block.rowsWithoutWeight;
    for (std::size_t i = 0; i < statistics.rowsToWeigh.size(); ++i) {
        const RowSums& row = statistics.rowsToWeigh[i];
        double weight = rowWeight(statistics.settings.weights, static_cast<long long>(i) + 1, rows);
        block.rowsWithoutWeight += std::isnan(weight);
        addWeighted(block.weighted, row, weight);
        addWeighted(run.weighted, row, weight);
    }
    if (block.rowsWithoutWeight > 0) {
        RowSums none{};
        none.cells = 1;
        addWeighted(block.weighted, none, std::nan(""));
        addWeighted(run.weighted, none, std::nan(""));
    }
    statistics.rowsToWeigh.clear();
}

}  // namespace

void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, RowAt at) {
    if (count == 0) {
        // No cell, but a row all the same: it takes its place among the
        // rows weighed, and it has no cell below which another row's is.
        statistics.previousCount = 0;
        if (statistics.block.isWeighted && roomToWeigh(statistics)) statistics.rowsToWeigh.push_back(RowSums{});
        return;
    }
    StatisticsPart& block = statistics.block;
    StatisticsPart& run = statistics.run;
    const double infinity = HUGE_VAL;
    // Extremes first as plain values (no branch per cell: nan never compares
    // larger); where a row beats the block, its first such cell is looked up.
    double lowest = infinity;
    double highest = -infinity;
    double largestAbsolute = -1.0;
    double largestRelative = -1.0;
    // The sums in locals for the loop: the compiler cannot tell that s and q
    // never point into them, and would store each one at every cell. Each
    // sum of the block goes beside the run's in one pair, where one vector
    // addition takes both steps, lane by lane the scalar addition (the same
    // bits), with half the registers: one at a time, the chains outnumber
    // them and some go through memory at every cell.
    DoublePair differences = pairOf(block.difference, run.difference);
    DoublePair squares = pairOf(block.squaredDifference, run.squaredDifference);
    DoublePair originals = pairOf(block.original, run.original);
    DoublePair quantizeds = pairOf(block.quantized, run.quantized);
    DoublePair rowSums = pairOf(0.0, 0.0);  // of s and of q
    double relativeSum = 0.0;
    for (int i = 0; i < count; ++i) {
        double difference = s[i] - q[i];
        DoublePair both = pairOf(difference, difference);
        differences = differences + both;
        squares = squares + both * both;
        originals = originals + pairOf(s[i], s[i]);
        quantizeds = quantizeds + pairOf(q[i], q[i]);
        rowSums = rowSums + pairOf(s[i], q[i]);
        lowest = s[i] < lowest ? s[i] : lowest;
        highest = s[i] > highest ? s[i] : highest;
        double absolute = terms.absolute[i];
        largestAbsolute = absolute > largestAbsolute ? absolute : largestAbsolute;
        double relative = terms.relative[i];
        largestRelative = relative > largestRelative ? relative : largestRelative;
        relativeSum += relative;
    }
    block.difference = firstOf(differences);
    run.difference = secondOf(differences);
    block.squaredDifference = firstOf(squares);
    run.squaredDifference = secondOf(squares);
    block.original = firstOf(originals);
    run.original = secondOf(originals);
    block.quantized = firstOf(quantizeds);
    run.quantized = secondOf(quantizeds);
    double rowOriginal = firstOf(rowSums);
    double rowQuantized = secondOf(rowSums);
    block.cells += count;
    run.cells += count;
    if (lowest <= highest) {  // some s is not nan
        if (!(lowest >= block.lowestOriginal)) block.lowestOriginal = lowest;
        if (!(highest <= block.highestOriginal)) block.highestOriginal = highest;
    }
    // A q of zero makes its relative term inf or nan, and an s or q of nan
    // or inf makes the row's sum of it so: a row whose three sums are finite
    // (nearly every row) has none of them, every term in it is a number, and
    // its extremes are the plain ones. Only the other rows go cell by cell.
    RowExtreme rowAbsolute{largestAbsolute, -1};
    RowExtreme rowRelative{largestRelative, -1};
    if (std::fabs(rowOriginal) < infinity && std::fabs(rowQuantized) < infinity && std::fabs(relativeSum) < infinity) {
        if (beats(largestAbsolute, block.largestAbsolute)) rowAbsolute.index = firstAt(terms.absolute, count, largestAbsolute);
        if (beats(largestRelative, block.largestRelative)) rowRelative.index = firstAt(terms.relative, count, largestRelative);
    } else {
        addUnusualRow(block, s, q, terms, count, at, rowAbsolute, rowRelative);
    }
    noteIfBeats(block.largestAbsolute, rowAbsolute, s, q, at);
    noteIfBeats(block.largestRelative, rowRelative, s, q, at);

    // The row's own moments: its means first, then the deviations from them.
    Moments rowMoments;
    rowMoments.weight = count;
    double originalMean = rowOriginal / count;
    double quantizedMean = rowQuantized / count;
    DoublePair means = pairOf(originalMean, quantizedMean);
    DoublePair squaresOfDeviations = pairOf(0.0, 0.0);  // of s and of q
    double coSquares = 0.0;
    for (int i = 0; i < count; ++i) {
        DoublePair deviations = pairOf(s[i], q[i]) - means;
        squaresOfDeviations = squaresOfDeviations + deviations * deviations;
        coSquares += firstOf(deviations) * secondOf(deviations);
    }
    double originalSquares = firstOf(squaresOfDeviations);
    double quantizedSquares = secondOf(squaresOfDeviations);
    rowMoments.originalMean = originalMean;
    rowMoments.quantizedMean = quantizedMean;
    rowMoments.originalSquares = originalSquares;
    rowMoments.quantizedSquares = quantizedSquares;
    rowMoments.coSquares = coSquares;
    holdConstantMembers(rowMoments, s, q, count);
    mergeMoments(block.moments, rowMoments);

    double tolerance = std::isnan(statistics.settings.tolerance) ? infinity : statistics.settings.tolerance;
    // The row's errors, kept for their pairs with the next row's: both
    // buffers as wide as the widest row.
    if (statistics.rowErrors.size() < static_cast<std::size_t>(count)) {
        statistics.rowErrors.resize(static_cast<std::size_t>(count));
        statistics.previousErrors.resize(static_cast<std::size_t>(count));
    }
    RowErrors errors = errorsOfRow(s, q, terms.absolute, count, tolerance, statistics.rowErrors.data());
    block.digits += errors.digits;
    run.digits += errors.digits;
    block.largestDigitsRatio = largerOrNan(block.largestDigitsRatio, errors.largestRatio);
    block.overTolerance += errors.overTolerance;
    addErrors(statistics.blockErrors, terms.absolute, count);
    addErrorPairs(statistics, count, errors.difference);
    if (block.isWeighted) {
        keepRowToWeigh(statistics, s, q, terms, count, errors, rowOriginal, rowQuantized, relativeSum, rowMoments);
    }
}

void mergeBlockIntoRun(BlockStatistics& statistics) {
    StatisticsPart& block = statistics.block;
    StatisticsPart& run = statistics.run;
    if (block.isWeighted) weighBlock(statistics);
    if (statistics.settings.bits) mergeBlockBits(statistics);
    mergeHistogram(statistics.runErrors, statistics.blockErrors);
    quantilesOf(statistics.blockErrors, block.quantiles);
    run.overTolerance += block.overTolerance;
    run.largestDigitsRatio = largerOrNan(run.largestDigitsRatio, block.largestDigitsRatio);
    mergeMoments(run.rowErrorPairs, block.rowErrorPairs);
    mergeMoments(run.columnErrorPairs, block.columnErrorPairs);
    mergeRange(run, block);
    statistics.runLargestAbsoluteInBlock = mergeExtreme(run.largestAbsolute, block.largestAbsolute);
    statistics.runLargestRelativeInBlock = mergeExtreme(run.largestRelative, block.largestRelative);
    statistics.runFirstNonfiniteOriginalInBlock = mergeFirst(run.firstNonfiniteOriginal, block.firstNonfiniteOriginal);
    statistics.runFirstNonfiniteQuantizedInBlock =
        mergeFirst(run.firstNonfiniteQuantized, block.firstNonfiniteQuantized);
    run.nonfiniteOriginal += block.nonfiniteOriginal;
    run.nonfiniteQuantized += block.nonfiniteQuantized;
    run.zeroQuantized += block.zeroQuantized;
    run.nonfiniteCells += block.nonfiniteCells;
    mergeMoments(run.moments, block.moments);
}

void workOutRunQuantiles(BlockStatistics& statistics) { quantilesOf(statistics.runErrors, statistics.run.quantiles); }

void startBlockStatistics(BlockStatistics& statistics) {
    statistics.block = StatisticsPart();
    statistics.block.isWeighted = statistics.run.isWeighted;
    clearHistogram(statistics.blockErrors);
    statistics.previousCount = 0;
    statistics.rowsToWeigh.clear();
}

namespace {

// Pearson's r of the two members: nan without a spread, and where a moment
// passed the largest double (or is nan).
double correlationOf(const Moments& moments) {
    if (moments.weight == 0.0 || moments.originalSquares == 0.0 || moments.quantizedSquares == 0.0 ||
        !(std::fabs(moments.originalSquares) < HUGE_VAL && std::fabs(moments.quantizedSquares) < HUGE_VAL &&
          std::fabs(moments.coSquares) < HUGE_VAL)) {
        return std::nan("");
    }
    double r = moments.coSquares / (std::sqrt(moments.originalSquares) * std::sqrt(moments.quantizedSquares));
    return r > 1.0 ? 1.0 : r < -1.0 ? -1.0 : r;  // rounding may step past the bounds
}

}  // namespace

Figures figuresOf(const StatisticsPart& part) {
    double cells = static_cast<double>(part.cells);
    double range = part.highestOriginal - part.lowestOriginal;
    Figures figures;
    double squares = part.squaredDifference / cells;
    figures.bias = part.difference / cells;
    figures.rmse = std::sqrt(squares);
    figures.correlation = correlationOf(part.moments);
    figures.originalMean = part.original / cells;
    figures.quantizedMean = part.quantized / cells;
    const Moments* moments = &part.moments;
    figures.digitsMean = part.digits / cells;
    figures.absoluteMeanWeighted = std::nan("");
    figures.relativeMeanWeighted = std::nan("");
    if (part.isWeighted) {
        const StatisticsPart::Weighted& weighted = part.weighted;
        squares = weighted.squaredDifference / weighted.weight;
        figures.bias = weighted.difference / weighted.weight;
        figures.rmse = std::sqrt(squares);
        figures.correlation = correlationOf(weighted.moments);
        figures.originalMean = weighted.original / weighted.weight;
        figures.quantizedMean = weighted.quantized / weighted.weight;
        moments = &weighted.moments;
        figures.digitsMean = weighted.digits / weighted.weight;
        figures.absoluteMeanWeighted = weighted.absolute / weighted.weight;
        figures.relativeMeanWeighted = weighted.relative / weighted.weight;
    }
    figures.nrmse = range == 0.0 ? std::nan("") : figures.rmse / range;
    // inf for an error of 0 over a range; nan for no range and no error.
    figures.psnr = 20.0 * portableLog10(range) - 10.0 * portableLog10(squares);
    figures.stdRatio = std::sqrt(moments->quantizedSquares) / std::sqrt(moments->originalSquares);
    double ratio = part.largestDigitsRatio;  // 0: every s = q, 17 digits
    // 0 - log10: 0, not -0, where the ratio is 1.
    figures.digitsMin = part.cells == 0 || std::isnan(ratio) ? std::nan("") : std::fmin(17.0, 0.0 - portableLog10(ratio));
    // The mean's sum of logarithms rounds otherwise than the least one: where
    // every cell has the same digits, it could fall below it by an ulp.
    if (figures.digitsMean < figures.digitsMin) figures.digitsMean = figures.digitsMin;
    figures.errorAutocorrelationRow = correlationOf(part.rowErrorPairs);
    figures.errorAutocorrelationColumn = correlationOf(part.columnErrorPairs);
    figures.overToleranceFraction = static_cast<double>(part.overTolerance) / cells;
    return figures;
}

}  // namespace gridcmp
