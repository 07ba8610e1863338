// What a comparison run hands to its client as it goes: every completed
// block, and, for clients that ask, the figures of each block and run, the
// compared row pairs of chosen blocks, and what the pairing passed over.
#pragma once

#include "compare/BlockResult.h"
#include "compare/BlockStatistics.h"
#include "compare/ErrorAccumulators.h"

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

// One compared row pair, valid only while it is received.
struct RowPair {
    const char* label;           // the block's (the original's) time label, whole
    long long row;               // from 1 within the block
    long long originalLine;      // the original log's line of the row
    int count;                   // cells compared: the quantized row's values
    const double* original;      // s of each cell
    const double* quantized;     // q of each cell
    const RowTerms* terms;       // |1 - s/q| and |s - q| of each cell
};

struct ComparisonReceiver {
    // Once, when both logs stand on their first block: the first labels,
    // valid only during the call.
    virtual void logsStarted(const char* originalLabel, const char* quantizedLabel) {
        (void)originalLabel;
        (void)quantizedLabel;
    }

    // Each completed block, in block order.
    virtual void blockCompleted(const BlockResult& result) = 0;

    // Where to keep the statistics of each block and of the run (each result
    // then points at them), or nullptr: none are kept, at no cost.
    virtual BlockStatistics* statistics() { return nullptr; }

    // Asked at the first row pair of each paired block: whether to receive
    // its row pairs (rowCompared).
    virtual bool wantsRowsOf(const char* label) {
        (void)label;
        return false;
    }
    virtual void rowCompared(const RowPair& pair) { (void)pair; }

    // The first skip where the labels' byte order and their order as numbers
    // disagree ("10.0" sorts before "9.5"): `skipped` was passed over though
    // its number is larger than `other`'s. The labels are valid only during
    // the call.
    virtual void labelsOutOfNumericOrder(const char* skipped, const char* other, bool skippedIsOriginal) {
        (void)skipped;
        (void)other;
        (void)skippedIsOriginal;
    }

    // Once, when the run has ended (however it did): what it passed over.
    virtual void comparisonEnded(const PairingCounts& passedOver) { (void)passedOver; }

protected:
    ~ComparisonReceiver() = default;
};

}  // namespace gridcmp
