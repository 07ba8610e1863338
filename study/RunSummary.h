// What gridcmp-study found in one run: the original log compared with one
// quantized log.
#pragma once

#include <string>
#include <vector>

#include "compare/BlockStatistics.h"
#include "compare/RunEnd.h"
#include "compare/fieldBits.h"
#include "compare/runComparison.h"

namespace gridcmp {

// A block of the run, named by its label (whole, as it stands in the log).
struct NamedBlock {
    bool found = false;
    std::string label;
    double value = 0.0;
};

// One --fail-if test of the run: the run's figure against the limit, and the
// first block whose own figure crossed it (the time to tolerance).
struct GateOutcome {
    double value = 0.0;
    bool failed = false;
    NamedBlock firstBlockOver;
};

struct RunSummary {
    std::string name;       // as the user named the run (--name), else the quantized file's name
    std::string original;   // the file names as given
    std::string quantized;

    RunEnd end = RunEnd::running;
    std::string endMessage;        // gridcmp's message for `end`, one line, escaped (escapedText.h)
    std::string unreadableFile;    // a log that could not be opened or read ...
    int unreadableError = 0;       // ... its errno ...
    std::string unreadableReason;  // ... and why, in words

    long long blocksPaired = 0;    // completed, as gridcmp reports them
    PairingCounts counts;          // unpaired blocks, surplus values and rows
    // The first skip where byte order and numeric order disagreed (when
    // counts.labelsOutOfNumericOrder): the labels, whole.
    std::string skippedLabel;
    std::string otherLabel;
    bool skippedWasOriginal = false;
    // After a normal end (RunEnd::logEnded): which logs had ended, and the
    // blocks the other one still had, counted by reading it on.
    bool originalEnded = false;
    bool quantizedEnded = false;
    long long blocksLeft = 0;
    bool blocksLeftAtLeast = false;  // counting them stopped at a line that cannot be read

    // Over every cell compared in the paired blocks: the sums over the number
    // of those cells, and the statistics of the run as the last completed
    // block left them.
    long long cellsCompared = 0;
    double relativeMean = 0.0;
    double absoluteMean = 0.0;
    StatisticsPart statistics;
    std::string largestAbsoluteLabel;  // the blocks of statistics' extreme cells
    std::string largestRelativeLabel;
    std::string firstNonfiniteOriginalLabel;   // the blocks of statistics' first non-finite cells
    std::string firstNonfiniteQuantizedLabel;
    // The rows compared in a block that a log ended (or the run stopped)
    // inside: never completed, so in no figure, but their cells are counted
    // here by kind (nan or inf there fails the run all the same).
    StatisticsPart unfinished;
    std::string unfinishedLabel;
    // The block with the largest finite mean of each kind (over its compared
    // cells); the blocks with a quantized value of nan or inf where the
    // original's is finite (the run broke); the blocks whose relative mean is
    // not finite only for quantized values of 0.
    NamedBlock worstRelative;
    NamedBlock worstAbsolute;
    NamedBlock worstRmse;
    long long nonfiniteBlocks = 0;
    std::string firstNonfiniteLabel;
    std::string lastNonfiniteLabel;
    long long zeroBlocks = 0;
    std::string firstZeroLabel;  // the first block with a quantized value of 0
    // Blocks without a quantized 0 or a cell of nan or inf whose relative
    // mean is not finite all the same: a term or their sum passed the
    // largest double.
    long long relativeOverflowBlocks = 0;
    // Blocks with rows that no weight was given for (beyond --row-weights'
    // lines, or more rows than can be kept for weighing): their weighted
    // figures, and the run's, are nan. The first such block and its rows.
    long long unweighedBlocks = 0;
    std::string firstUnweighedLabel;
    long long firstUnweighedRows = 0;
    std::vector<GateOutcome> gates;  // one per gate of the options, in their order
    // With --bits: the run's bit figures and the original's information per
    // bit position, from the counts of every block paired; the first block
    // whose quantized bits fall short of its keepbits; whether an original
    // token had 17 significant digits or more.
    BitFigures bits{};
    double bitInformation[kBitPositions] = {};
    std::string firstBitsShortLabel;
    bool originalAtFullPrecision = false;

    std::string firstOriginalLabel;   // whole; empty when never taken
    std::string firstQuantizedLabel;
    long long originalCarriageReturnLine = 0;  // first line ending in '\r', 0 if none
    long long quantizedCarriageReturnLine = 0;
    long long originalUnterminatedLine = 0;    // its last line, read without a newline; 0 if none
    long long quantizedUnterminatedLine = 0;
    // A block the log ends in before its first row: its time line (0 if
    // none) and label.
    long long originalCutBlockLine = 0;
    long long quantizedCutBlockLine = 0;
    std::string originalCutBlockLabel;
    std::string quantizedCutBlockLabel;

    std::string rowsLost;  // why its rows of the table or of the cells file were lost; "": they were not
};

}  // namespace gridcmp
