// Figures of a paired block beyond the report's four means, and of the whole
// run: bias, RMSE, the extremes and where they are, the fields' means and
// their correlation, and the cells that cannot be divided or summed. Filled
// in the same pass as the report's sums, for the clients that ask for them
// (gridcmp does not, and pays nothing).
//
// Every sum is a chain of additions in cell order, block by block and, for
// the run, across blocks (as the report's sums are), so that a plain loop
// over the cells gives the same bits. The co-moments of the correlation are
// formed row by row (mean, then deviations from it) and merged by the
// pairwise update formulas: stable where sums of squares would cancel.
#pragma once

#include <limits>

#include "compare/ErrorAccumulators.h"

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

// Means and co-moments of s and q over some cells.
struct Moments {
    long long cells = 0;
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
};

struct BlockStatistics {
    StatisticsPart block;
    StatisticsPart run;
    // Set by mergeBlockIntoRun: whether this block holds the run's extreme
    // cells, or its first non-finite ones (so that a client can note its
    // label).
    bool runLargestAbsoluteInBlock = false;
    bool runLargestRelativeInBlock = false;
    bool runFirstNonfiniteOriginalInBlock = false;
    bool runFirstNonfiniteQuantizedInBlock = false;
};

// Starts a run: everything empty.
void startStatistics(BlockStatistics& statistics);

// Where a row pair is: its number in its block (from 1) and its line in
// each log.
struct RowAt {
    long long row;
    long long line;           // the original log's
    long long quantizedLine;
};

// Adds one row pair: s and q of `count` cells and their terms (RowTerms of
// the same cells). Allocates nothing.
void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, RowAt at);

// At the end of a block: merges what is not summed cell by cell (ranges,
// extremes, counts, co-moments) into the run. The run's sums have been added
// cell by cell all along.
void mergeBlockIntoRun(BlockStatistics& statistics);

// Empties the block part for the next block.
void startBlockStatistics(BlockStatistics& statistics);

// The figures of a part, as the study's table and summary give them.
struct Figures {
    double bias;           // mean of s - q
    double rmse;           // sqrt(mean of (s - q)^2)
    double nrmse;          // rmse / (highest s - lowest s); nan for a range of 0
    double correlation;    // Pearson's r of s and q; nan when either is constant
    double originalMean;   // mean of s
    double quantizedMean;  // mean of q
};
Figures figuresOf(const StatisticsPart& part);

}  // namespace gridcmp
