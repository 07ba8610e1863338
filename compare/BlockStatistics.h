// Figures of a paired block beyond the report's four means, and of the whole
// run: bias, RMSE, the extremes and where they are, the fields' means and
// their correlation, the cells that cannot be divided or summed, the error's
// quantiles, digits of agreement and autocorrelation; with row weights, the
// weighted means. Filled in the same pass as the report's sums, for the
// clients that ask for them (gridcmp does not, and pays nothing).
//
// Every sum is a chain of additions in cell order, block by block and, for
// the run, across blocks (as the report's sums are), so that a plain loop
// over the cells gives the same bits. The co-moments of the correlation are
// formed row by row (mean, then deviations from it) and merged by the
// pairwise update formulas: stable where sums of squares would cancel.
#pragma once

#include <limits>
#include <vector>

#include "compare/ErrorAccumulators.h"
#include "compare/bitInformation.h"
#include "compare/errorHistogram.h"
#include "gridlog/tokenDecimal.h"
#include "compare/rowWeights.h"

namespace gridcmp {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();  // what no cell gave

// Where a cell is: its place in its block and the line of its row in each
// log, with its two values.
struct CellAt {
    long long row = 0;            // from 1 within its block; 0: no cell
    int column = 0;               // from 1
    long long line = 0;           // the original log's line of that row
    long long quantizedLine = 0;  // the quantized log's
    double original = kNoValue;   // s and q of that cell
    double quantized = kNoValue;
};

// The first cell, in block order, where an error is largest. A nan error
// ranks above every number: the first nan stays.
struct ExtremeCell {
    double error = kNoValue;  // the largest; nan while no cell qualified (at.row 0)
    CellAt at;
};

// Means and co-moments of s and q over some cells (or of any two members of
// pairs of cells).
struct Moments {
    double weight = 0.0;            // the cells, or the sum of their weights
    double originalMean = 0.0;
    double quantizedMean = 0.0;
    double originalSquares = 0.0;   // sum of (s - mean)^2
    double quantizedSquares = 0.0;  // sum of (q - mean)^2
    double coSquares = 0.0;         // sum of (s - mean s)(q - mean q)
};

// Over one block, and over the run so far.
struct StatisticsPart {
    long long cells = 0;
    double difference = 0.0;         // sum of s - q
    double squaredDifference = 0.0;  // sum of (s - q)^2
    double original = 0.0;           // sum of s
    double quantized = 0.0;          // sum of q
    double lowestOriginal = kNoValue;  // the range of s, nan ignored; nan while none
    double highestOriginal = kNoValue;
    ExtremeCell largestAbsolute;     // |s - q|; nan if one is nan, else inf if one is
    ExtremeCell largestRelative;     // |1 - s/q| where q is not 0; nan if s or q of one is nan or inf
    // The cells that cannot be divided or summed, each in one kind: s is nan
    // or inf (the original is broken); else q is (the run broke); else q is
    // 0 (|1 - s/q| is inf, or nan where s is 0 too: nothing is broken).
    long long nonfiniteOriginal = 0;
    long long nonfiniteQuantized = 0;
    long long zeroQuantized = 0;
    long long nonfiniteCells = 0;    // s or q nan or inf: the first two kinds together
    CellAt firstNonfiniteOriginal;   // the first cell of each of the first two kinds
    CellAt firstNonfiniteQuantized;
    Moments moments;

    // Never weighted: the error's quantiles (the block's set when it ends,
    // the run's by workOutRunQuantiles), the cells over the tolerance, each cell's decimal
    // digits of agreement -log10(|s - q| / max(|s|, |q|)) (17 where s = q),
    // and the moments of the errors e = s - q of horizontally and vertically
    // adjacent cells (e of the left or upper cell as "original", of its
    // neighbour as "quantized").
    double quantiles[kQuantileCount] = {kNoValue, kNoValue, kNoValue, kNoValue};
    long long overTolerance = 0;      // |s - q| > tolerance, or nan
    double digits = 0.0;              // the sum of the cells' digits, row by row
    double largestDigitsRatio = 0.0;  // the largest |s - q| / max(|s|, |q|) where s != q; nan if one is
    Moments rowErrorPairs;
    Moments columnErrorPairs;

    // With row weights (each sum of w * x, row by row: w times the row's sum
    // in cell order): the weighted sums, their weight (the sum of w * cells),
    // and the weighted moments.
    struct Weighted {
        double weight = 0.0;
        double difference = 0.0;
        double squaredDifference = 0.0;
        double original = 0.0;
        double quantized = 0.0;
        double absolute = 0.0;
        double relative = 0.0;
        double digits = 0.0;
        Moments moments;
    } weighted;
    bool isWeighted = false;         // with row weights: the figures take the weighted sums
    long long rowsWithoutWeight = 0; // rows weighed nan: beyond the weights given, or too many to keep

    // With settings.bits (never weighted): the bits of horizontally adjacent
    // values of the original's rows (every value of a row, compared or not)
    // and of the quantized rows compared, and the fewest mantissa bits that
    // keep every quantized token (fieldBits.h).
    BitPairCounts originalPairs;
    BitPairCounts quantizedPairs;
    int carriedBits = 0;
};

// What the statistics are asked for besides the plain figures.
struct StatisticsSettings {
    RowWeights weights;                 // none: no weighted figures
    double tolerance = kNoValue;        // nan: none (overTolerance then counts nan errors only)
    bool bits = false;                  // count the fields' bits (fieldBits.h)
    double informationLevel = 0.99;     // the share of the information keepbits keeps
};

// A row's sums and moments, kept until its block ends and its weight is
// known (the latitudes of a block's rows depend on how many there are).
struct RowSums {
    int cells;
    double difference, squaredDifference, original, quantized, absolute, relative, digits;
    Moments moments;
};

// The rows of a block kept for weighing: at most this many (about 7 MiB);
// the rows beyond weigh nan.
constexpr int kMaxWeighedRows = 65536;

struct BlockStatistics {
    StatisticsSettings settings;  // set by the client before the run; kept by startStatistics
    StatisticsPart block;
    StatisticsPart run;
    // Set by mergeBlockIntoRun: whether this block holds the run's extreme
    // cells, or its first non-finite ones (so that a client can note its
    // label).
    bool runLargestAbsoluteInBlock = false;
    bool runLargestRelativeInBlock = false;
    bool runFirstNonfiniteOriginalInBlock = false;
    bool runFirstNonfiniteQuantizedInBlock = false;

    // Working storage, allocated as the run goes: the error's histograms,
    // this row's errors and the previous row's, the block's rows kept for
    // weighing.
    ErrorHistogram blockErrors;
    ErrorHistogram runErrors;
    std::vector<double> rowErrors;
    std::vector<double> previousErrors;
    int previousCount = 0;          // cells of the previous row of this block; 0: none
    double previousErrorSum = 0.0;  // their sum
    std::vector<RowSums> rowsToWeigh;
    // With settings.bits: the bits being counted in this block, where the
    // tokens of a row start, whether an original token had 17 significant
    // digits or more (then the original is at full precision), and whether a
    // block has been merged.
    BitPairCounter originalBitCounter;
    BitPairCounter quantizedBitCounter;
    std::vector<std::uint32_t> tokenStarts;
    std::vector<CellDecimal> rowDecimals;  // a quantized row's, where the reader gave none
    bool originalAtFullPrecision = false;
    bool pastFirstBitsBlock = false;
};

// Starts a run: everything empty but the settings.
void startStatistics(BlockStatistics& statistics);

// Where a row pair is: its number in its block (from 1) and its line in
// each log.
struct RowAt {
    long long row;
    long long line;           // the original log's
    long long quantizedLine;
};

// Adds one row pair: s and q of `count` cells and their terms (RowTerms of
// the same cells). Allocates the working storage the first time it is
// needed (std::bad_alloc when there is no memory).
void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, RowAt at);

// At the end of a block: weighs its rows, works out its quantiles, and
// merges what is not summed cell by cell (ranges, extremes,
// counts, co-moments, weighted sums) into the run. The run's sums have been
// added cell by cell all along.
void mergeBlockIntoRun(BlockStatistics& statistics);

// Works out the run's quantiles from every block merged so far: a walk over
// the run's histogram, taken when the run's figures are wanted (at its end)
// rather than at every block.
void workOutRunQuantiles(BlockStatistics& statistics);

// Empties the block part for the next block.
void startBlockStatistics(BlockStatistics& statistics);

// The figures of a part, as the study's table and summary give them. The
// first nine are weighted where the part is.
struct Figures {
    double bias;           // mean of s - q
    double rmse;           // sqrt(mean of (s - q)^2)
    double nrmse;          // rmse / (highest s - lowest s); nan for a range of 0
    double correlation;    // Pearson's r of s and q; nan when either is constant
    double originalMean;   // mean of s
    double quantizedMean;  // mean of q
    double psnr;           // 20 log10(highest s - lowest s) - 10 log10(mean of (s - q)^2)
    double stdRatio;       // standard deviation of q over that of s
    double digitsMean;     // mean of the cells' digits of agreement
    double absoluteMeanWeighted;  // weighted mean of |s - q|; nan where the part is not weighted
    double relativeMeanWeighted;  // weighted mean of |1 - s/q|; nan where the part is not weighted
    double digitsMin;      // the fewest digits of agreement of a cell (at most 17)
    double errorAutocorrelationRow;     // Pearson's r of the errors of horizontal neighbours
    double errorAutocorrelationColumn;  // ... and of vertical ones
    double overToleranceFraction;       // overTolerance / cells
};
Figures figuresOf(const StatisticsPart& part);

}  // namespace gridcmp
