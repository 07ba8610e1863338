#include "driver/runComparison.h"

#include "compare/compareLogs.h"

namespace {

bool faulted(const GridLogReader& reader) { return reader.fault != LogFault::none; }

}  // namespace

RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ReportWriter& report) {
    readStartLine(original);
    if (faulted(original)) return RunEnd::originalFault;
    readStartLine(quantized);
    if (faulted(quantized)) return RunEnd::quantizedFault;

    if (atEnd(original)) return RunEnd::originalEmpty;
    if (atEnd(quantized)) return RunEnd::quantizedEmpty;

    original.hasTimeLines = isStartTimeLine(original);
    quantized.hasTimeLines = isStartTimeLine(quantized);
    if (!original.hasTimeLines || !quantized.hasTimeLines) return RunEnd::noTimeLines;

    takeTimeLabel(original);
    if (faulted(original)) return RunEnd::originalFault;
    takeTimeLabel(quantized);
    if (faulted(quantized)) return RunEnd::quantizedFault;

    switch (compareLogs(original, quantized, reportSink(report))) {
        case ComparisonEnd::logEnded: return RunEnd::finished;
        case ComparisonEnd::blockShapesDiffer: return RunEnd::blockShapesDiffer;
        case ComparisonEnd::readerFault: break;
    }
    return faulted(original) ? RunEnd::originalFault : RunEnd::quantizedFault;
}
