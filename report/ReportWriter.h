// The report: a heading before the first result line, then one tab-separated
// result line per completed block.
#pragma once

#include <cstdio>

#include "compare/BlockResult.h"

namespace gridcmp {

struct ReportWriter {
    std::FILE* out = stdout;
    bool headingWritten = false;
};

// Writes the heading first if it has not been written yet (it describes the
// first completed block), then the result line, then flushes, so that each
// line is seen as soon as its block is complete.
void writeBlock(ReportWriter& writer, const BlockResult& result);

// A sink for compareLogs that hands every result to writeBlock.
ResultSink reportSink(ReportWriter& writer);

}  // namespace gridcmp
