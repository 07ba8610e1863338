// The report: a heading before the first result line, then one tab-separated
// result line per completed block.
#pragma once

#include <cstdio>

#include "compare/ComparisonReceiver.h"

namespace gridcmp {

// The report prints the first 12 characters of each label.
constexpr int kPrintedLabelChars = 12;

struct ReportWriter : ComparisonReceiver {
    explicit ReportWriter(std::FILE* output, bool headingAlreadyWritten = false)
        : out(output), headingWritten(headingAlreadyWritten) {}
    void blockCompleted(const BlockResult& result) override;

    std::FILE* out;
    bool headingWritten;
};

// Writes the heading first if it has not been written yet (it describes the
// first completed block), then the result line, then flushes, so that each
// line is seen as soon as its block is complete.
void writeBlock(ReportWriter& writer, const BlockResult& result);

}  // namespace gridcmp
