// The comparison run: pairs the blocks of two grid logs by time label and
// compares paired blocks cell by cell.
#pragma once

#include "compare/BlockResult.h"
#include "gridlog/GridLogReader.h"

enum class ComparisonEnd {
    logEnded,           // either log reached its end
    readerFault,        // a reader met a line it cannot take (see its `fault`)
    blockShapesDiffer,  // a file 1 row shorter than file 2's, or file 2's block ended first
};

// Walks both logs until either ends. Expects each reader to stand on the first
// data row of its first block (after takeTimeLabel). A block whose label sorts
// first (as strcmp orders them) is skipped. Within a pair, file 1's lines
// decide where the block ends; file 1's surplus values and file 2's surplus rows
// are ignored. Hands each completed block to `sink`; writes nothing itself.
// Returns at the first fault, leaving both readers where it met it.
ComparisonEnd compareLogs(GridLogReader& original, GridLogReader& quantized, ResultSink sink);
