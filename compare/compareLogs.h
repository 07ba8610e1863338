// The comparison run: pairs the blocks of two grid logs by time label and
// compares paired blocks cell by cell.
#pragma once

#include "compare/ComparisonReceiver.h"
#include "compare/RunEnd.h"
#include "gridlog/GridLogReader.h"

namespace gridcmp {

// What the run met besides its results: everything it passed over without
// a word, for callers that report on it.
struct PairingCounts {
    long long unpairedOriginal = 0;   // blocks skipped for want of a partner
    long long unpairedQuantized = 0;
    long long widerOriginalRows = 0;  // rows whose surplus original values were ignored
    long long firstWiderOriginalLine = 0;
    long long longerQuantizedBlocks = 0;  // paired blocks whose surplus quantized rows were skipped
    long long firstLongerQuantizedLine = 0;
    long long raggedBlocks = 0;  // paired blocks whose quantized rows are not all as wide as the first
    long long firstRaggedLine = 0;  // the quantized log's line of the first row of another width
    // Original time lines compared as rows: a block ran into the next. Looked
    // for only where the receiver keeps statistics (gridcmp pays nothing).
    long long timeLinesReadAsRows = 0;
    long long firstTimeLineReadAsRow = 0;  // the original's line of the first
    bool labelsOutOfNumericOrder = false;  // said to the receiver, the first time
};

// Walks both logs until either ends. Expects each reader to stand on the first
// data row of its first block (startLogs). A block whose label sorts first (as
// strcmp orders them) is skipped. Within a pair, the original's lines decide
// where the block ends; its surplus values and the quantized log's surplus
// rows are ignored. A quantized block that ends before the original's (at a
// terminator, or at a time line where the original has a data row) is a
// shape mismatch. Hands each completed block to `receiver`; writes nothing
// itself. Returns RunEnd::logEnded, or the fault or shape mismatch it met
// first, leaving both readers where it met it.
RunEnd compareLogs(GridLogReader& original, GridLogReader& quantized, ComparisonReceiver& receiver,
                   PairingCounts& counts);

}  // namespace gridcmp
