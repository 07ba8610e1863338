#include "study/compareRun.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdlib>
#include <memory>

#include "compare/runComparison.h"
#include "report/endMessage.h"
#include "study/lineFeed.h"
#include "study/studySource.h"
#include "study/escapedText.h"
#include "study/runFigures.h"
#include "study/studyTable.h"

namespace gridcmp {

namespace {

// The study's receiver of one run: sums the run up block by block, and
// writes its table and cells rows.
struct Collector : ComparisonReceiver {
    Collector(RunSummary& runSummary, const StudyOptions& studyOptions, RunRows runRows)
        : summary(runSummary), options(studyOptions), rows(runRows) {
        kept.settings = options.statistics;
    }

    void logsStarted(const char* originalLabel, const char* quantizedLabel) override {
        summary.firstOriginalLabel = originalLabel;
        summary.firstQuantizedLabel = quantizedLabel;
    }

    BlockStatistics* statistics() override { return &kept; }

    bool wantsRowsOf(const char* label) override {
        for (int i = 0; i < kStudyOutputCount; ++i) {
            if (rows.sinks[i] && kStudyOutputs[i].wantsRowsOf && kStudyOutputs[i].wantsRowsOf(options, label)) {
                return true;
            }
        }
        return false;
    }

    void rowCompared(const RowPair& pair) override {
        for (int i = 0; i < kStudyOutputCount; ++i) {
            const StudyOutput& output = kStudyOutputs[i];
            if (rows.sinks[i] && output.wantsRowsOf && output.wantsRowsOf(options, pair.label)) {
                output.writeRowPair(rows.sinks[i], summary.name.c_str(), pair);
            }
        }
    }

    void labelsOutOfNumericOrder(const char* skipped, const char* other, bool skippedIsOriginal) override {
        summary.skippedLabel = skipped;
        summary.otherLabel = other;
        summary.skippedWasOriginal = skippedIsOriginal;
    }

    void blockCompleted(const BlockResult& result) override;

    void comparisonEnded(const PairingCounts& passedOver) override {
        summary.counts = passedOver;
        workOutRunQuantiles(kept);
        std::copy(std::begin(kept.run.quantiles), std::end(kept.run.quantiles), std::begin(summary.statistics.quantiles));
        if (options.statistics.bits) {
            summary.bits = bitFiguresOf(summary.statistics, options.statistics.informationLevel);
            bitInformation(summary.statistics.originalPairs, summary.bitInformation);
            summary.originalAtFullPrecision = kept.originalAtFullPrecision;
        }
    }

    RunSummary& summary;
    const StudyOptions& options;
    RunRows rows;
    BlockStatistics kept;
};

// Keeps `value` at `block` when it is finite and the largest so far.
void noteWorst(NamedBlock& block, double value, const char* label) {
    if (!std::isfinite(value) || (block.found && !(value > block.value))) return;
    block = NamedBlock{true, label, value};
}

void Collector::blockCompleted(const BlockResult& result) {
    ++summary.blocksPaired;
    summary.cellsCompared = result.totalCellsCompared;
    summary.relativeMean = runningRelativeMean(result);
    summary.absoluteMean = runningAbsoluteMean(result);
    summary.statistics = kept.run;
    if (kept.runLargestAbsoluteInBlock) summary.largestAbsoluteLabel = result.label;
    if (kept.runLargestRelativeInBlock) summary.largestRelativeLabel = result.label;
    if (kept.runFirstNonfiniteOriginalInBlock) summary.firstNonfiniteOriginalLabel = result.label;
    if (kept.runFirstNonfiniteQuantizedInBlock) summary.firstNonfiniteQuantizedLabel = result.label;

    BlockRow row = blockRowOf(summary.name.c_str(), result);
    const StatisticsPart& block = *row.block;
    double relative = blockRelativeMeanOverCompared(result);
    noteWorst(summary.worstRelative, relative, result.label);
    noteWorst(summary.worstAbsolute, blockAbsoluteMeanOverCompared(result), result.label);
    noteWorst(summary.worstRmse, row.figures.rmse, result.label);
    if (block.nonfiniteQuantized > 0) {
        if (summary.nonfiniteBlocks++ == 0) summary.firstNonfiniteLabel = result.label;
        summary.lastNonfiniteLabel = result.label;
    } else if (block.cells > 0 && block.nonfiniteCells == 0 && !std::isfinite(relative)) {  // not 0 / 0
        ++(block.zeroQuantized > 0 ? summary.zeroBlocks : summary.relativeOverflowBlocks);
    }
    if (block.zeroQuantized > 0 && block.zeroQuantized == kept.run.zeroQuantized) summary.firstZeroLabel = result.label;
    if (row.settings->bits && row.bits.bitsMargin < 0 && summary.firstBitsShortLabel.empty()) {
        summary.firstBitsShortLabel = result.label;
    }
    if (block.rowsWithoutWeight > 0 && summary.unweighedBlocks++ == 0) {
        summary.firstUnweighedLabel = result.label;
        summary.firstUnweighedRows = result.rows;
    }
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        GateOutcome& outcome = summary.gates[i];
        double value = 0.0;
        if (!outcome.firstBlockOver.found && blockCrosses(row, options.gates[i], value)) {
            outcome.firstBlockOver = NamedBlock{true, result.label, value};
        }
    }
    for (int i = 0; i < kStudyOutputCount; ++i) {
        if (rows.sinks[i] && kStudyOutputs[i].writeBlock) kStudyOutputs[i].writeBlock(rows.sinks[i], row);
    }
}

// The blocks a log still has from where it stands: the one it stands on, and
// every later one.
void countBlocksLeft(GridLogReader& log, RunSummary& summary) {
    while (!atEnd(log) && !hasFault(log)) {
        ++summary.blocksLeft;
        advanceToNextBlock(log);
    }
    summary.blocksLeftAtLeast = hasFault(log);
}

// gridcmp's message for how the run ended, whole (labels may be long), as one
// line without its newline.
std::string endMessageOf(char* text, std::size_t length) {
    std::string message(text ? text : "", text ? length : 0);
    std::free(text);
    if (!message.empty() && message.back() == '\n') message.pop_back();
    return escapedText(message.c_str());
}

// The sources and the conversion a run starts beneath it, stopped when it
// ends, however it ends (out of memory too), in the order their threads
// read each other.
struct ThreadsBeneath {
    ThreadsBeneath() = default;
    ~ThreadsBeneath() { stop(); }
    void stop() {
        // A pipe's writer may keep the quantized log open: the run has
        // stopped reading it.
        if (quantizedSource) stopReading(*quantizedSource);
        quantizedFeed.reset();  // its thread reads the source
        quantizedSource.reset();
        originalSource.reset();
    }
    ThreadsBeneath(const ThreadsBeneath&) = delete;
    ThreadsBeneath& operator=(const ThreadsBeneath&) = delete;

    std::unique_ptr<StudySource> originalSource;
    std::unique_ptr<StudySource> quantizedSource;
    std::unique_ptr<LineFeed> quantizedFeed;
};

}  // namespace

RunSummary compareRun(const StudyOptions& options, int run, RunRows rows, LineSupply* original, CpuSlots* slots,
                      bool quantizedOnItsOwnThread) {
    RunSummary summary;
    summary.name = options.names[run];
    summary.original = logName(options.original);
    summary.quantized = logName(options.quantized[run]);
    summary.gates.resize(options.gates.size());
    std::unique_ptr<GridLogReader> originalLog(new GridLogReader);
    std::unique_ptr<GridLogReader> quantizedLog(new GridLogReader);
    ThreadsBeneath beneath;
    if (original) {
        attachLogSupply(*originalLog, *original, summary.original.c_str(), kStudyLimits);
    } else {
        beneath.originalSource = openStudySource(options.original.c_str(), slots);
        attachLogSource(*originalLog, beneath.originalSource->bytes(), summary.original.c_str(), kStudyLimits);
    }
    beneath.quantizedSource = openStudySource(options.quantized[run].c_str(), slots);
    ByteSource& quantizedBytes = beneath.quantizedSource->bytes();
    // With cores to spare, the quantized log is converted on a thread of its
    // own too, and this one only compares (but where no thread can be
    // started for it).
    if (slots && quantizedOnItsOwnThread) {
        beneath.quantizedFeed = startLineFeed(quantizedBytes, summary.quantized.c_str(), kStudyLimits, 1, slots);
    }
    if (beneath.quantizedFeed) {
        attachLogSupply(*quantizedLog, beneath.quantizedFeed->reader(0), summary.quantized.c_str(), kStudyLimits);
    } else {
        attachLogSource(*quantizedLog, quantizedBytes, summary.quantized.c_str(), kStudyLimits);
    }

    Collector collector(summary, options, rows);
    summary.end = runComparison(*originalLog, *quantizedLog, collector);
    char* message = nullptr;
    std::size_t messageLength = 0;
    std::FILE* messages = open_memstream(&message, &messageLength);
    if (messages) {
        writeEndMessage(messages, summary.end, *originalLog, *quantizedLog);
        std::fclose(messages);
    }
    summary.endMessage = endMessageOf(message, messageLength);
    if (collector.kept.block.cells > 0) {
        summary.unfinished = collector.kept.block;
        summary.unfinishedLabel = originalLog->timeLabel();
    }
    if (summary.end == RunEnd::logEnded) {
        summary.originalEnded = atEnd(*originalLog);
        summary.quantizedEnded = atEnd(*quantizedLog);
        if (!summary.originalEnded) countBlocksLeft(*originalLog, summary);
        if (!summary.quantizedEnded) countBlocksLeft(*quantizedLog, summary);
    }
    // A log that cannot be read, from the start or part way (a compressed
    // stream cut short or corrupt), also while the blocks left were counted:
    // the reason is the system's or the library's.
    for (GridLogReader* log : {originalLog.get(), quantizedLog.get()}) {
        if ((log->state() == LogState::unopened || log->state() == LogState::readError) &&
            summary.unreadableFile.empty()) {
            summary.unreadableFile = log->name();
            summary.unreadableError = log->systemError();
            summary.unreadableReason = log->failure();
        }
    }
    summary.originalCarriageReturnLine = originalLog->firstCarriageReturnLine();
    summary.quantizedCarriageReturnLine = quantizedLog->firstCarriageReturnLine();
    summary.originalUnterminatedLine = originalLog->unterminatedLastLine();
    summary.quantizedUnterminatedLine = quantizedLog->unterminatedLastLine();
    if (summary.end == RunEnd::logEnded) {  // else the message says where it stopped
        summary.originalCutBlockLine = originalLog->cutBlockLine();
        summary.quantizedCutBlockLine = quantizedLog->cutBlockLine();
        if (originalLog->cutBlockLine()) summary.originalCutBlockLabel = originalLog->timeLabel();
        if (quantizedLog->cutBlockLine()) summary.quantizedCutBlockLabel = quantizedLog->timeLabel();
    }
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        const Gate& gate = options.gates[i];
        summary.gates[i].value = runFigure(summary, gate.figure.c_str());
        summary.gates[i].failed = crosses(summary.gates[i].value, gate.failsAbove, gate.limit);
    }
    beneath.stop();
    closeLog(*originalLog);
    closeLog(*quantizedLog);
    return summary;
}

}  // namespace gridcmp
