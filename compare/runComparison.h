// The comparison run, as every program on the core runs it: pairs the blocks
// of two grid logs by time label and compares paired blocks cell by cell.
#pragma once

#include "compare/ComparisonReceiver.h"
#include "compare/RunEnd.h"
#include "gridlog/GridLogReader.h"

namespace gridcmp {

// Runs a whole comparison: checks each log's start line (original first):
// neither log empty, both starting with a time line; takes both first labels,
// then walks both logs until either ends. A block whose label sorts first (as
// strcmp orders them) is skipped. Within a pair, the original's lines decide
// where the block ends; its surplus values and the quantized log's surplus
// rows are ignored. A quantized block that ends before the original's (at a
// terminator, or at a time line where the original has a data row) is a
// shape mismatch. Hands each completed block to `receiver`, and at the end
// what the pairing passed over; writes nothing itself. Expects both readers
// opened (openLog or attachLog) and not yet read; leaves them open, where
// the run ended. Returns RunEnd::logEnded, or the fault, shape mismatch or
// start failure it met first.
RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ComparisonReceiver& receiver);

}  // namespace gridcmp
