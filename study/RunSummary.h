// What gridcmp-study found in one run: the original log compared with one
// quantized log.
#pragma once

#include <string>

#include "compare/RunEnd.h"
#include "compare/compareLogs.h"

namespace gridcmp {

struct RunSummary {
    std::string original;   // the file names as given
    std::string quantized;

    RunEnd end = RunEnd::running;
    std::string endMessage;        // gridcmp's message for `end`, one line, escaped (escapedText.h)
    std::string unreadableFile;    // a log that could not be opened or read ...
    int unreadableError = 0;       // ... and its errno

    long long blocksPaired = 0;    // completed, as gridcmp reports them
    PairingCounts counts;          // unpaired blocks, surplus values and rows, label order
    // After a normal end (RunEnd::logEnded): which logs had ended, and the
    // blocks the other one still had, counted by reading it on.
    bool originalEnded = false;
    bool quantizedEnded = false;
    long long blocksLeft = 0;
    bool blocksLeftAtLeast = false;  // counting them stopped at a line that cannot be read

    // Over every cell compared in the paired blocks: the sums over the number
    // of those cells.
    long long cellsCompared = 0;
    double relativeMean = 0.0;
    double absoluteMean = 0.0;
    // The block with the largest finite mean of each; its label cut to 40
    // characters and escaped.
    bool hasWorstRelative = false;
    std::string worstRelativeLabel;
    double worstRelative = 0.0;
    bool hasWorstAbsolute = false;
    std::string worstAbsoluteLabel;
    double worstAbsolute = 0.0;
    long long nonFiniteRelativeBlocks = 0;  // blocks whose relative mean is nan or inf

    std::string firstOriginalLabel;   // cut to 40 characters and escaped; empty when never taken
    std::string firstQuantizedLabel;
    long long originalCarriageReturnLine = 0;  // first line ending in '\r', 0 if none
    long long quantizedCarriageReturnLine = 0;
    long long originalLinesRead = 0;           // how far this run read the original log
    long long originalUnterminatedLine = 0;    // its last line, read without a newline; 0 if none
    long long quantizedUnterminatedLine = 0;

    bool tableWriteFailed = false;
    int tableWriteError = 0;
};

}  // namespace gridcmp
