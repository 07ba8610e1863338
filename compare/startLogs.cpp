#include "compare/startLogs.h"

namespace gridcmp {

RunEnd startLogs(GridLogReader& original, GridLogReader& quantized) {
    readStartLine(original);
    if (hasFault(original)) return RunEnd::originalFault;
    readStartLine(quantized);
    if (hasFault(quantized)) return RunEnd::quantizedFault;

    if (atEnd(original)) return RunEnd::originalEmpty;
    if (atEnd(quantized)) return RunEnd::quantizedEmpty;

    if (!isStartTimeLine(original) || !isStartTimeLine(quantized)) return RunEnd::noTimeLines;

    takeTimeLabel(original);
    if (hasFault(original)) return RunEnd::originalFault;
    takeTimeLabel(quantized);
    if (hasFault(quantized)) return RunEnd::quantizedFault;
    return RunEnd::running;
}

}  // namespace gridcmp
