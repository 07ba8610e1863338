#include "driver/runComparison.h"

#include "compare/compareLogs.h"

RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ReportWriter& report) {
    readStartLine(original);
    if (hasFault(original)) return RunEnd::originalFault;
    readStartLine(quantized);
    if (hasFault(quantized)) return RunEnd::quantizedFault;

    if (atEnd(original)) return RunEnd::originalEmpty;
    if (atEnd(quantized)) return RunEnd::quantizedEmpty;

    original.hasTimeLines = isStartTimeLine(original);
    quantized.hasTimeLines = isStartTimeLine(quantized);
    if (!original.hasTimeLines || !quantized.hasTimeLines) return RunEnd::noTimeLines;

    takeTimeLabel(original);
    if (hasFault(original)) return RunEnd::originalFault;
    takeTimeLabel(quantized);
    if (hasFault(quantized)) return RunEnd::quantizedFault;

    switch (compareLogs(original, quantized, reportSink(report))) {
        case ComparisonEnd::logEnded: return RunEnd::finished;
        case ComparisonEnd::blockShapesDiffer: return RunEnd::blockShapesDiffer;
        case ComparisonEnd::readerFault: break;
    }
    return hasFault(original) ? RunEnd::originalFault : RunEnd::quantizedFault;
}
