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

#include "compare/ErrorAccumulators.h"

namespace gridcmp {

// The first cell, in block order, where an error is largest.
struct ExtremeCell {
    double error = 0.0;     // the largest; nan while no cell qualified
    long long row = 0;      // from 1 within its block; 0: no cell
    int column = 0;         // from 1
    long long line = 0;     // the original log's line of that row
    double original = 0.0;  // s and q of that cell; nan while no cell
    double quantized = 0.0;
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
    double lowestOriginal = 0.0;     // the range of s, nan ignored; nan while none
    double highestOriginal = 0.0;
    ExtremeCell largestAbsolute;     // |s - q|, nan ignored (inf counts)
    ExtremeCell largestRelative;     // |1 - s/q|, finite only
    long long zeroQuantized = 0;     // cells with q == 0
    long long nonfiniteCells = 0;    // cells where s or q is nan or inf
    Moments moments;
};

struct BlockStatistics {
    StatisticsPart block;
    StatisticsPart run;
    // Set by mergeBlockIntoRun: whether this block holds the run's extreme
    // cells (so that a client can note its label).
    bool runLargestAbsoluteInBlock = false;
    bool runLargestRelativeInBlock = false;
};

// Starts a run: everything empty.
void startStatistics(BlockStatistics& statistics);

// Adds one row pair: s and q of `count` cells and their terms (RowTerms of
// the same cells), the row's number in its block (from 1) and the original
// log's line of it.
void addRowStatistics(BlockStatistics& statistics, const double* s, const double* q, const RowTerms& terms,
                      int count, long long row, long long line);

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
