#include "study/studyTable.h"

#include <cmath>

#include "study/escapedText.h"

namespace gridcmp {

namespace {

void writeNumber(std::FILE* out, double value) {
    std::fputc('\t', out);
    if (std::isnan(value)) {
        std::fputs("nan", out);  // whatever its sign bit: the report says nan too
    } else {
        std::fprintf(out, "%.17g", value);
    }
}

}  // namespace

void writeTableHeader(std::FILE* out) {
    std::fputs("run\tblock\tlabel\tcolumns\trows\tcells\tblock_relative\ttotal_relative\tblock_absolute\t"
               "total_absolute\trunning_relative\trunning_absolute\n",
               out);
}

void writeTableRow(std::FILE* out, const char* run, const BlockResult& result) {
    writeEscapedText(out, run);
    writeNumber(out, result.counter);
    std::fputc('\t', out);
    writeEscapedText(out, result.wholeLabel);
    std::fprintf(out, "\t%d\t%lld\t%lld", result.columns, result.rows, result.cells);
    const double numbers[] = {result.blockRelativeMean,  result.totalRelativeMean,      result.blockAbsoluteMean,
                              result.totalAbsoluteMean,  runningRelativeMean(result), runningAbsoluteMean(result)};
    for (double number : numbers) writeNumber(out, number);
    std::fputc('\n', out);
}

}  // namespace gridcmp
