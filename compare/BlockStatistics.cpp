#include "compare/BlockStatistics.h"

#include <cmath>
#include <initializer_list>

#include "platform/DoublePair.h"

namespace gridcmp {

namespace {

StatisticsPart emptyPart() {
    StatisticsPart part;
    const double nan = std::nan("");
    part.lowestOriginal = nan;
    part.highestOriginal = nan;
    for (ExtremeCell* extreme : {&part.largestAbsolute, &part.largestRelative}) {
        extreme->error = nan;
        extreme->original = nan;
        extreme->quantized = nan;
    }
    return part;
}

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

// The later extreme replaces the earlier only when strictly larger: the
// first cell where the largest error is reached stays.
bool mergeExtreme(ExtremeCell& into, const ExtremeCell& from) {
    if (from.row == 0 || (into.row != 0 && !(from.error > into.error))) return false;
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
    statistics.block = emptyPart();
    statistics.run = emptyPart();
    statistics.runLargestAbsoluteInBlock = false;
    statistics.runLargestRelativeInBlock = false;
}

// The first cell of the row whose error is `largest`.
int firstAt(const double* errors, int count, double largest) {
    int i = 0;
    while (i < count && !(errors[i] == largest)) ++i;
    return i;
}

void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, long long row, long long line) {
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
    long long zeroQuantized = 0;
    long long nonfinite = 0;
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
        largestRelative = relative > largestRelative && relative < infinity ? relative : largestRelative;
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
    // A q of zero makes its relative term inf or nan, and an s or q of nan
    // or inf makes the row's sum of it so: a row whose three sums are finite
    // (nearly every row) has no such cell, and only the others are counted.
    if (!(std::fabs(rowOriginal) < infinity && std::fabs(rowQuantized) < infinity &&
          std::fabs(relativeSum) < infinity)) {
        for (int i = 0; i < count; ++i) {
            zeroQuantized += q[i] == 0.0;
            nonfinite += !(std::fabs(s[i]) < infinity) | !(std::fabs(q[i]) < infinity);
        }
    }
    block.cells += count;
    run.cells += count;
    block.zeroQuantized += zeroQuantized;
    block.nonfiniteCells += nonfinite;
    if (lowest <= highest) {  // some s is not nan
        if (!(lowest >= block.lowestOriginal)) block.lowestOriginal = lowest;
        if (!(highest <= block.highestOriginal)) block.highestOriginal = highest;
    }
    if (largestAbsolute >= 0.0 && (block.largestAbsolute.row == 0 || largestAbsolute > block.largestAbsolute.error)) {
        int i = firstAt(terms.absolute, count, largestAbsolute);
        block.largestAbsolute = {largestAbsolute, row, i + 1, line, s[i], q[i]};
    }
    if (largestRelative >= 0.0 && (block.largestRelative.row == 0 || largestRelative > block.largestRelative.error)) {
        int i = firstAt(terms.relative, count, largestRelative);
        block.largestRelative = {largestRelative, row, i + 1, line, s[i], q[i]};
    }

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
    run.zeroQuantized += block.zeroQuantized;
    run.nonfiniteCells += block.nonfiniteCells;
    mergeMoments(run.moments, block.moments);
}

void startBlockStatistics(BlockStatistics& statistics) { statistics.block = emptyPart(); }

Figures figuresOf(const StatisticsPart& part) {
    double cells = static_cast<double>(part.cells);
    Figures figures;
    figures.bias = part.difference / cells;
    figures.rmse = std::sqrt(part.squaredDifference / cells);
    double range = part.highestOriginal - part.lowestOriginal;
    figures.nrmse = range == 0.0 ? std::nan("") : figures.rmse / range;
    const Moments& moments = part.moments;
    if (moments.cells == 0 || moments.originalSquares == 0.0 || moments.quantizedSquares == 0.0) {
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
