#include "compare/runComparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "compare/ErrorAccumulators.h"
#include "compare/fieldBits.h"
#include "compare/startLogs.h"
#include "platform/classicLocale.h"

namespace gridcmp {

namespace {

struct Run {
    Run(GridLogReader& originalLog, GridLogReader& quantizedLog, ComparisonReceiver& resultReceiver, int widestRow)
        : original(originalLog), quantized(quantizedLog), receiver(resultReceiver), widestRow(widestRow),
          originalRow(widestRow), quantizedRow(widestRow), terms(widestRow) {}
    GridLogReader& original;
    GridLogReader& quantized;
    ComparisonReceiver& receiver;
    PairingCounts counts;
    BlockStatistics* statistics = nullptr;  // kept only for a receiver that asks
    bool rowsWanted = false;                // the receiver takes this block's row pairs
    ErrorAccumulators sums;
    double blockCounter = 0.0;
    long long rows = 0;
    int columns = 0;
    long long cellsCompared = 0;       // in the current block
    long long totalCellsCompared = 0;  // in the blocks completed before it
    int firstRowColumns = 0;           // the width of the block's first quantized row
    bool ragged = false;               // a later quantized row of the block is not as wide
    bool originalAtTimeLine = false;   // the original's line, where the block's next row is due, is a time line
    int widestRow;
    RowValues originalRow;
    RowValues quantizedRow;
    RowTerms terms;
};

// The label as a number, when the whole label is one.
bool labelNumber(const char* label, double& number) {
    ClassicLocaleScope classic;
    char* end = nullptr;
    number = std::strtod(label, &end);
    return end != label && *end == '\0' && std::isfinite(number);
}

// Says the first time the log behind in byte order is ahead in numbers.
void noteLabelOrder(Run& run, const char* skipped, const char* other, bool skippedIsOriginal) {
    double skippedTime = 0.0;
    double otherTime = 0.0;
    if (run.counts.labelsOutOfNumericOrder || !labelNumber(skipped, skippedTime) ||
        !labelNumber(other, otherTime) || skippedTime <= otherTime) {
        return;
    }
    run.counts.labelsOutOfNumericOrder = true;
    run.receiver.labelsOutOfNumericOrder(skipped, other, skippedIsOriginal);
}

// The log whose label sorts first moves on one block.
RunEnd catchUp(Run& run) {
    bool originalBehind = std::strcmp(run.original.timeLabel(), run.quantized.timeLabel()) < 0;
    GridLogReader& behind = originalBehind ? run.original : run.quantized;
    const GridLogReader& ahead = originalBehind ? run.quantized : run.original;
    noteLabelOrder(run, behind.timeLabel(), ahead.timeLabel(), originalBehind);
    ++(originalBehind ? run.counts.unpairedOriginal : run.counts.unpairedQuantized);
    advanceToNextBlock(behind);
    if (hasFault(behind)) return originalBehind ? RunEnd::originalFault : RunEnd::quantizedFault;
    return RunEnd::running;
}

BlockResult makeResult(const Run& run) {
    BlockResult result;
    result.counter = run.blockCounter;
    result.label = run.original.timeLabel();
    result.columns = run.columns;
    result.rows = run.rows;
    result.cells = static_cast<long long>(run.columns) * run.rows;
    double cells = static_cast<double>(result.cells);
    result.blockRelativeMean = run.sums.blockRelative / cells;
    result.totalRelativeMean = run.sums.totalRelative / cells;
    result.blockAbsoluteMean = run.sums.blockAbsolute / cells;
    result.totalAbsoluteMean = run.sums.totalAbsolute / cells;
    result.sums = run.sums;
    result.cellsCompared = run.cellsCompared;
    result.totalCellsCompared = run.totalCellsCompared + run.cellsCompared;
    result.statistics = run.statistics;
    return result;
}

// Reports the block and moves both logs on to their next blocks.
RunEnd completeBlock(Run& run) {
    if (!isBlockTerminator(run.quantized) && ++run.counts.longerQuantizedBlocks == 1) {
        run.counts.firstLongerQuantizedLine = run.quantized.lineNumber();
    }
    if (run.statistics) mergeBlockIntoRun(*run.statistics);
    BlockResult result = makeResult(run);
    run.receiver.blockCompleted(result);
    run.totalCellsCompared = result.totalCellsCompared;
    advanceToNextBlock(run.original);
    if (hasFault(run.original)) return RunEnd::originalFault;
    advanceToNextBlock(run.quantized);
    if (hasFault(run.quantized)) return RunEnd::quantizedFault;
    run.blockCounter += 1.0;
    startNextBlock(run.sums);
    run.rows = 0;
    run.cellsCompared = 0;
    run.ragged = false;
    if (run.statistics) startBlockStatistics(*run.statistics);
    return RunEnd::running;
}

// Compares the current rows of both logs and reads the next lines; the
// original's next line may end the block.
RunEnd compareRowPair(Run& run) {
    GridLogReader& original = run.original;
    GridLogReader& quantized = run.quantized;
    // A quantized block with fewer rows ends first: at its terminator, or
    // straight at its next time line, which must not be read as a row. (After
    // a block's first row the original's line is a row: a terminator would
    // have ended the block. Rows that contain "ine" in both logs are rows.)
    if (isTerminatorOrTimeLine(quantized) && (run.rows > 0 || !isBlockTerminator(original)) &&
        (isBlockTerminator(quantized) || !isTimeLine(original))) {
        return RunEnd::blockShapesDiffer;
    }
    // An original time line read as a row: the block runs into the next.
    if (run.statistics && (run.rows == 0 ? isTimeLine(original) : run.originalAtTimeLine) &&
        ++run.counts.timeLinesReadAsRows == 1) {
        run.counts.firstTimeLineReadAsRow = original.lineNumber();
    }
    // Both logs have time lines (else no run), so their rows start with a label.
    parseRow(original, run.originalRow, true);
    if (hasFault(original)) return RunEnd::originalFault;
    parseRow(quantized, run.quantizedRow, true);
    if (hasFault(quantized)) return RunEnd::quantizedFault;
    if (run.originalRow.count < run.quantizedRow.count) return RunEnd::blockShapesDiffer;
    if (run.originalRow.count > run.quantizedRow.count && ++run.counts.widerOriginalRows == 1) {
        run.counts.firstWiderOriginalLine = original.lineNumber();
    }

    run.columns = run.quantizedRow.count;
    if (run.rows == 0) {
        run.firstRowColumns = run.columns;
    } else if (run.columns != run.firstRowColumns && !run.ragged) {
        run.ragged = true;
        if (++run.counts.raggedBlocks == 1) run.counts.firstRaggedLine = quantized.lineNumber();
    }
    run.cellsCompared += run.columns;
    const double* s = run.originalRow.values;
    const double* q = run.quantizedRow.values;
    computeRowTerms(run.terms, s, q, run.columns);
    addRowTerms(run.sums, run.terms, run.columns);
    if (run.statistics) addRowStatistics(*run.statistics, s, q, run.terms, run.columns,
                                          RowAt{run.rows + 1, original.lineNumber(), quantized.lineNumber()});
    if (run.statistics && run.statistics->settings.bits) {
        addRowBits(*run.statistics,
                   RowText{original.line(), original.lineLength(), s, run.originalRow.count, nullptr,
                           run.originalRow.tokenStarts},
                   RowText{quantized.line(), quantized.lineLength(), q, run.columns, run.quantizedRow.decimals,
                           run.quantizedRow.tokenStarts},
                   run.rows == 0);
    }
    if (run.rows == 0) run.rowsWanted = run.receiver.wantsRowsOf(original.timeLabel());
    if (run.rowsWanted) {
        run.receiver.rowCompared(
            RowPair{original.timeLabel(), run.rows + 1, original.lineNumber(), run.columns, s, q, &run.terms});
    }

    readLine(original);
    if (hasFault(original)) return RunEnd::originalFault;
    readLine(quantized);
    if (hasFault(quantized)) return RunEnd::quantizedFault;
    ++run.rows;
    if (!run.statistics) return isBlockTerminator(original) ? completeBlock(run) : RunEnd::running;
    // For a client that keeps statistics, one look at the original's next
    // line tells a row (nearly every line) from a terminator or a time line.
    run.originalAtTimeLine = false;
    if (!isTerminatorOrTimeLine(original)) return RunEnd::running;
    if (isBlockTerminator(original)) return completeBlock(run);
    run.originalAtTimeLine = true;
    return RunEnd::running;
}

// Walks both logs until either ends, from the first data row of each one's
// first block.
RunEnd compareLogs(Run& run) {
    GridLogReader& original = run.original;
    GridLogReader& quantized = run.quantized;
    run.receiver.logsStarted(original.timeLabel(), quantized.timeLabel());
    run.statistics = run.receiver.statistics();
    if (run.statistics) startStatistics(*run.statistics);
    if (run.statistics && run.statistics->settings.bits) {
        run.quantizedRow.decimalStorage.reset(new CellDecimal[run.widestRow]);
    }
    // The first catch-up comes before any look at the ends: a log that ended
    // while its start was read still lets the other move on once, and meet
    // whatever that move meets.
    if (std::strcmp(original.timeLabel(), quantized.timeLabel()) != 0) {
        RunEnd end = catchUp(run);
        if (end != RunEnd::running) return end;
    }
    while (!atEnd(original) && !atEnd(quantized)) {
        bool paired = std::strcmp(original.timeLabel(), quantized.timeLabel()) == 0;
        RunEnd end = paired ? compareRowPair(run) : catchUp(run);
        if (end != RunEnd::running) return end;
    }
    return RunEnd::logEnded;
}

}  // namespace

RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ComparisonReceiver& receiver) {
    Run run(original, quantized, receiver, std::max(original.limits().maxRowValues, quantized.limits().maxRowValues));
    RunEnd end = startLogs(original, quantized);
    if (end == RunEnd::running) end = compareLogs(run);
    receiver.comparisonEnded(run.counts);
    return end;
}

}  // namespace gridcmp
