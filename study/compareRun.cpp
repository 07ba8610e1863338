#include "study/compareRun.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "compare/startLogs.h"
#include "report/endMessage.h"
#include "study/escapedText.h"
#include "study/studyTable.h"

namespace gridcmp {

namespace {

constexpr std::size_t kShownLabelChars = 40;

// A label as the summary and the diagnostics show it: cut, and escaped.
std::string shownLabel(const char* label) {
    return escapedText(std::string(label, strnlen(label, kShownLabelChars)).c_str());
}

struct Collector {
    RunSummary* summary;
    const char* run;
    std::FILE* tableRows;
};

void collect(void* context, const BlockResult& result) {
    Collector& collector = *static_cast<Collector*>(context);
    RunSummary& summary = *collector.summary;
    ++summary.blocksPaired;
    summary.cellsCompared = result.totalCells;
    summary.relativeMean = runningRelativeMean(result);
    summary.absoluteMean = runningAbsoluteMean(result);
    if (!std::isfinite(result.blockRelativeMean)) {
        ++summary.nonFiniteRelativeBlocks;
    } else if (!summary.hasWorstRelative || result.blockRelativeMean > summary.worstRelative) {
        summary.hasWorstRelative = true;
        summary.worstRelative = result.blockRelativeMean;
        summary.worstRelativeLabel = shownLabel(result.wholeLabel);
    }
    if (std::isfinite(result.blockAbsoluteMean) &&
        (!summary.hasWorstAbsolute || result.blockAbsoluteMean > summary.worstAbsolute)) {
        summary.hasWorstAbsolute = true;
        summary.worstAbsolute = result.blockAbsoluteMean;
        summary.worstAbsoluteLabel = shownLabel(result.wholeLabel);
    }
    if (collector.tableRows) writeTableRow(collector.tableRows, collector.run, result);
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

// gridcmp's message for how the run ended, as one line without its newline.
std::string endMessageOf(RunEnd end, const GridLogReader& original, const GridLogReader& quantized) {
    char text[512] = {};
    std::FILE* out = fmemopen(text, sizeof text - 1, "w");
    if (!out) return "";
    writeEndMessage(out, end, original, quantized);
    std::fclose(out);
    std::string message = text;
    if (!message.empty() && message.back() == '\n') message.pop_back();
    return escapedText(message.c_str());
}

}  // namespace

RunSummary compareRun(const char* original, const char* quantized, const char* run, std::FILE* tableRows) {
    RunSummary summary;
    summary.original = original;
    summary.quantized = quantized;
    // Not value-initialized: megabytes of buffer, looked at only once read into.
    std::unique_ptr<GridLogReader> originalLog(new GridLogReader);
    std::unique_ptr<GridLogReader> quantizedLog(new GridLogReader);
    openLog(*originalLog, original);
    openLog(*quantizedLog, quantized);

    summary.end = startLogs(*originalLog, *quantizedLog);
    for (GridLogReader* log : {originalLog.get(), quantizedLog.get()}) {
        if (log->state == LogState::unopened && summary.unreadableFile.empty()) {
            summary.unreadableFile = log->name;
            summary.unreadableError = log->systemError;
        }
    }
    if (summary.end == RunEnd::running) {
        summary.firstOriginalLabel = shownLabel(originalLog->timeLabel);
        summary.firstQuantizedLabel = shownLabel(quantizedLog->timeLabel);
        Collector collector{&summary, run, tableRows};
        summary.end = compareLogs(*originalLog, *quantizedLog, ResultSink{collect, &collector}, summary.counts);
    }
    summary.endMessage = endMessageOf(summary.end, *originalLog, *quantizedLog);
    if (summary.end == RunEnd::logEnded) {
        summary.originalEnded = atEnd(*originalLog);
        summary.quantizedEnded = atEnd(*quantizedLog);
        if (!summary.originalEnded) countBlocksLeft(*originalLog, summary);
        if (!summary.quantizedEnded) countBlocksLeft(*quantizedLog, summary);
    }
    summary.originalCarriageReturnLine = originalLog->firstCarriageReturnLine;
    summary.quantizedCarriageReturnLine = quantizedLog->firstCarriageReturnLine;
    if (tableRows && (std::fflush(tableRows) != 0 || std::ferror(tableRows))) {
        summary.tableWriteFailed = true;
        summary.tableWriteError = errno;
    }
    closeLog(*originalLog);
    closeLog(*quantizedLog);
    return summary;
}

}  // namespace gridcmp
