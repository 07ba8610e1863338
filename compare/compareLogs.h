// The comparison run: pairs the blocks of two grid logs by time label and
// compares paired blocks cell by cell.
#pragma once

#include "compare/BlockResult.h"
#include "compare/RunEnd.h"
#include "gridlog/GridLogReader.h"

namespace gridcmp {

constexpr int kNotedLabelChars = 40;

// What the run met besides its results: everything it passed over without
// a word, for callers that report on it.
struct PairingCounts {
    long long unpairedOriginal = 0;   // blocks skipped for want of a partner
    long long unpairedQuantized = 0;
    long long widerOriginalRows = 0;  // rows whose surplus original values were ignored
    long long firstWiderOriginalLine = 0;
    long long longerQuantizedBlocks = 0;  // paired blocks whose surplus quantized rows were skipped
    long long firstLongerQuantizedLine = 0;
    // The first skip where the labels' byte order and numeric order disagreed
    // ("10.0" sorts before "9.5"): the block of `skippedLabel` was passed over
    // though its number is larger than `otherLabel`'s. Both cut to 40 characters.
    bool labelsOutOfNumericOrder = false;
    bool skippedWasOriginal = false;
    char skippedLabel[kNotedLabelChars + 1] = {};
    char otherLabel[kNotedLabelChars + 1] = {};
};

// Walks both logs until either ends. Expects each reader to stand on the first
// data row of its first block (startLogs). A block whose label sorts first (as
// strcmp orders them) is skipped. Within a pair, the original's lines decide
// where the block ends; its surplus values and the quantized log's surplus
// rows are ignored. Hands each completed block to `sink`; writes nothing itself.
// Returns RunEnd::logEnded, or the fault or shape mismatch it met first,
// leaving both readers where it met it.
RunEnd compareLogs(GridLogReader& original, GridLogReader& quantized, ResultSink sink, PairingCounts& counts);

}  // namespace gridcmp
