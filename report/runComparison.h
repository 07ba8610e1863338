// One whole comparison of two logs, as every program on the core runs it:
// the start checks, the walk through both logs, and gridcmp's message for how
// it ended.
#pragma once

#include <cstdio>

#include "compare/compareLogs.h"

namespace gridcmp {

// Runs startLogs, then compareLogs when both logs stand on their first block,
// then writes the end message (writeEndMessage) to `messages` unless it is
// nullptr. Expects both readers opened (openLog or attachLog) and not yet
// read; leaves them open. Returns how the run ended.
RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ComparisonReceiver& receiver,
                     PairingCounts& counts, std::FILE* messages);

}  // namespace gridcmp
