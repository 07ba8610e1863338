#include "report/runComparison.h"

#include "compare/startLogs.h"
#include "report/endMessage.h"

namespace gridcmp {

RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ComparisonReceiver& receiver,
                     PairingCounts& counts, std::FILE* messages) {
    RunEnd end = startLogs(original, quantized);
    if (end == RunEnd::running) end = compareLogs(original, quantized, receiver, counts);
    if (messages) writeEndMessage(messages, end, original, quantized);
    return end;
}

}  // namespace gridcmp
