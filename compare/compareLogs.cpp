#include "compare/compareLogs.h"

#include <cstring>

#include "compare/ErrorAccumulators.h"

namespace {

BlockResult makeResult(double counter, const char* label, int columns, long long rows,
                       const ErrorAccumulators& sums) {
    BlockResult result;
    result.counter = counter;
    std::size_t printed = strnlen(label, kPrintedLabelChars);
    std::memcpy(result.label, label, printed);
    result.label[printed] = '\0';
    result.columns = columns;
    result.rows = rows;
    result.cells = static_cast<long long>(columns) * rows;
    double cells = static_cast<double>(result.cells);
    result.blockRelativeMean = sums.blockRelative / cells;
    result.totalRelativeMean = sums.totalRelative / cells;
    result.blockAbsoluteMean = sums.blockAbsolute / cells;
    result.totalAbsoluteMean = sums.totalAbsolute / cells;
    return result;
}

}  // namespace

ComparisonEnd compareLogs(GridLogReader& original, GridLogReader& quantized, ResultSink sink) {
    ErrorAccumulators sums;
    double blockCounter = 0.0;
    long long rows = 0;
    int columns = 0;
    RowValues values1;
    RowValues values2;

    for (;;) {
        // Catch up: the log whose label sorts first moves on one block.
        int order = std::strcmp(original.timeLabel, quantized.timeLabel);
        if (order < 0) advanceToNextBlock(original);
        if (order > 0) advanceToNextBlock(quantized);
        if (hasFault(original) || hasFault(quantized)) return ComparisonEnd::readerFault;
        bool bothOpen = !atEnd(original) && !atEnd(quantized);
        bool paired = std::strcmp(original.timeLabel, quantized.timeLabel) == 0;
        if (!paired && bothOpen) continue;

        if (paired && bothOpen) {
            if (isBlockTerminator(quantized) && !isBlockTerminator(original)) {
                return ComparisonEnd::blockShapesDiffer;
            }
            parseRow(original, values1);
            if (hasFault(original)) return ComparisonEnd::readerFault;
            parseRow(quantized, values2);
            if (hasFault(quantized)) return ComparisonEnd::readerFault;
            if (values1.count < values2.count) return ComparisonEnd::blockShapesDiffer;

            columns = values2.count;
            accumulateRow(sums, values1.values, values2.values, columns);

            readLine(original);
            if (hasFault(original)) return ComparisonEnd::readerFault;
            readLine(quantized);
            if (hasFault(quantized)) return ComparisonEnd::readerFault;
            ++rows;

            if (isBlockTerminator(original)) {
                sink.receive(sink.context, makeResult(blockCounter, original.timeLabel, columns, rows, sums));
                advanceToNextBlock(original);
                if (hasFault(original)) return ComparisonEnd::readerFault;
                advanceToNextBlock(quantized);
                if (hasFault(quantized)) return ComparisonEnd::readerFault;
                blockCounter += 1.0;
                startNextBlock(sums);
                rows = 0;
            }
        }
        if (atEnd(original) || atEnd(quantized)) return ComparisonEnd::logEnded;
    }
}
