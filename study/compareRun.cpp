#include "study/compareRun.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
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
    summary.cellsCompared = result.totalCellsCompared;
    summary.relativeMean = runningRelativeMean(result);
    summary.absoluteMean = runningAbsoluteMean(result);
    double relative = blockRelativeMeanOverCompared(result);
    double absolute = blockAbsoluteMeanOverCompared(result);
    if (!std::isfinite(relative)) {
        ++summary.nonFiniteRelativeBlocks;
    } else if (!summary.hasWorstRelative || relative > summary.worstRelative) {
        summary.hasWorstRelative = true;
        summary.worstRelative = relative;
        summary.worstRelativeLabel = shownLabel(result.wholeLabel);
    }
    if (std::isfinite(absolute) && (!summary.hasWorstAbsolute || absolute > summary.worstAbsolute)) {
        summary.hasWorstAbsolute = true;
        summary.worstAbsolute = absolute;
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

// gridcmp's message for how the run ended, whole (labels may be long), as one
// line without its newline.
std::string endMessageOf(RunEnd end, const GridLogReader& original, const GridLogReader& quantized) {
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (!out) return "";
    writeEndMessage(out, end, original, quantized);
    std::fclose(out);
    std::string message(text, length);
    std::free(text);
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
    summary.originalLinesRead = originalLog->lineNumber;
    summary.originalUnterminatedLine = originalLog->unterminatedLastLine;
    summary.quantizedUnterminatedLine = quantizedLog->unterminatedLastLine;
    if (tableRows && (std::fflush(tableRows) != 0 || std::ferror(tableRows))) {
        summary.tableWriteFailed = true;
        summary.tableWriteError = errno;
    }
    closeLog(*originalLog);
    closeLog(*quantizedLog);
    return summary;
}

}  // namespace gridcmp
