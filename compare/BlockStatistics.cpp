#include "compare/BlockStatistics.h"

#include <cmath>

#include "platform/DoublePair.h"

namespace gridcmp {

namespace {

// Pools the moments of two disjoint sets of cells (the pairwise update):
// deviations are taken from each set's own means, so nothing cancels.
void mergeMoments(Moments& into, const Moments& from) {
    if (from.cells == 0) return;
    if (into.cells == 0) {
        into = from;
        return;
    }
    double a = static_cast<double>(into.cells);
    double b = static_cast<double>(from.cells);
    double n = a + b;
    double originalStep = from.originalMean - into.originalMean;
    double quantizedStep = from.quantizedMean - into.quantizedMean;
    double weight = a * b / n;
    into.originalMean += originalStep * (b / n);
    into.quantizedMean += quantizedStep * (b / n);
    into.originalSquares += from.originalSquares + originalStep * originalStep * weight;
    into.quantizedSquares += from.quantizedSquares + quantizedStep * quantizedStep * weight;
    into.coSquares += from.coSquares + originalStep * quantizedStep * weight;
    into.cells += from.cells;
}

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
    statistics.runLargestAbsoluteInBlock = false;
    statistics.runLargestRelativeInBlock = false;
    statistics.runFirstNonfiniteOriginalInBlock = false;
    statistics.runFirstNonfiniteQuantizedInBlock = false;
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

void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, RowAt at) {
    if (count == 0) return;
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
    rowMoments.cells = count;
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
    mergeMoments(block.moments, rowMoments);
}

void mergeBlockIntoRun(BlockStatistics& statistics) {
    StatisticsPart& block = statistics.block;
    StatisticsPart& run = statistics.run;
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

void startBlockStatistics(BlockStatistics& statistics) { statistics.block = StatisticsPart(); }

Figures figuresOf(const StatisticsPart& part) {
    double cells = static_cast<double>(part.cells);
    Figures figures;
    figures.bias = part.difference / cells;
    figures.rmse = std::sqrt(part.squaredDifference / cells);
    double range = part.highestOriginal - part.lowestOriginal;
    figures.nrmse = range == 0.0 ? std::nan("") : figures.rmse / range;
    const Moments& moments = part.moments;
    // nan without a spread, and where a moment passed the largest double.
    if (moments.cells == 0 || moments.originalSquares == 0.0 || moments.quantizedSquares == 0.0 ||
        !(std::fabs(moments.originalSquares) < HUGE_VAL && std::fabs(moments.quantizedSquares) < HUGE_VAL &&
          std::fabs(moments.coSquares) < HUGE_VAL)) {
        figures.correlation = std::nan("");
    } else {
        double r = moments.coSquares / (std::sqrt(moments.originalSquares) * std::sqrt(moments.quantizedSquares));
        figures.correlation = r > 1.0 ? 1.0 : r < -1.0 ? -1.0 : r;  // rounding may step past the bounds
    }
    figures.originalMean = part.original / cells;
    figures.quantizedMean = part.quantized / cells;
    return figures;
}

}  // namespace gridcmp
