#include "study/studyTable.h"

#include <cmath>
#include <cstring>

#include "study/escapedText.h"

namespace gridcmp {

namespace {

struct Value {
    enum Kind { isText, isInteger, isReal } kind;
    const char* text;
    long long integer;
    double real;
};

Value textValue(const char* text) { return {Value::isText, text, 0, 0.0}; }
Value integerValue(long long integer) { return {Value::isInteger, nullptr, integer, 0.0}; }
Value realValue(double real) { return {Value::isReal, nullptr, 0, real}; }

struct Column {
    const char* name;
    Value (*value)(const BlockRow&);
    FigureNeeds needs = FigureNeeds::nothing;
};

// The table's columns, in order; see gridcmp-study(1) for each one's formula.
const Column kColumns[] = {
    {"run", [](const BlockRow& r) { return textValue(r.run); }},
    {"block", [](const BlockRow& r) { return realValue(r.result->counter); }},
    {"label", [](const BlockRow& r) { return textValue(r.result->label); }},
    {"columns", [](const BlockRow& r) { return integerValue(r.result->columns); }},
    {"rows", [](const BlockRow& r) { return integerValue(r.result->rows); }},
    {"cells", [](const BlockRow& r) { return integerValue(r.result->cells); }},
    {"block_relative", [](const BlockRow& r) { return realValue(r.result->blockRelativeMean); }},
    {"total_relative", [](const BlockRow& r) { return realValue(r.result->totalRelativeMean); }},
    {"block_absolute", [](const BlockRow& r) { return realValue(r.result->blockAbsoluteMean); }},
    {"total_absolute", [](const BlockRow& r) { return realValue(r.result->totalAbsoluteMean); }},
    {"running_relative", [](const BlockRow& r) { return realValue(runningRelativeMean(*r.result)); }},
    {"running_absolute", [](const BlockRow& r) { return realValue(runningAbsoluteMean(*r.result)); }},
    {"cells_compared", [](const BlockRow& r) { return integerValue(r.result->cellsCompared); }},
    {"bias", [](const BlockRow& r) { return realValue(r.figures.bias); }},
    {"rmse", [](const BlockRow& r) { return realValue(r.figures.rmse); }},
    {"nrmse", [](const BlockRow& r) { return realValue(r.figures.nrmse); }},
    {"max_absolute", [](const BlockRow& r) { return realValue(r.block->largestAbsolute.error); }},
    {"max_absolute_row", [](const BlockRow& r) { return integerValue(r.block->largestAbsolute.at.row); }},
    {"max_absolute_column", [](const BlockRow& r) { return integerValue(r.block->largestAbsolute.at.column); }},
    {"max_absolute_line", [](const BlockRow& r) { return integerValue(r.block->largestAbsolute.at.line); }},
    {"max_absolute_original", [](const BlockRow& r) { return realValue(r.block->largestAbsolute.at.original); }},
    {"max_absolute_quantized", [](const BlockRow& r) { return realValue(r.block->largestAbsolute.at.quantized); }},
    {"max_relative", [](const BlockRow& r) { return realValue(r.block->largestRelative.error); }},
    {"max_relative_row", [](const BlockRow& r) { return integerValue(r.block->largestRelative.at.row); }},
    {"max_relative_column", [](const BlockRow& r) { return integerValue(r.block->largestRelative.at.column); }},
    {"correlation", [](const BlockRow& r) { return realValue(r.figures.correlation); }},
    {"original_mean", [](const BlockRow& r) { return realValue(r.figures.originalMean); }},
    {"quantized_mean", [](const BlockRow& r) { return realValue(r.figures.quantizedMean); }},
    {"zero_quantized", [](const BlockRow& r) { return integerValue(r.block->zeroQuantized); }},
    {"nonfinite_cells", [](const BlockRow& r) { return integerValue(r.block->nonfiniteCells); }},
    {"nonfinite_quantized", [](const BlockRow& r) { return integerValue(r.block->nonfiniteQuantized); }},
    {"nonfinite_original", [](const BlockRow& r) { return integerValue(r.block->nonfiniteOriginal); }},
    {"psnr", [](const BlockRow& r) { return realValue(r.figures.psnr); }},
    {"std_ratio", [](const BlockRow& r) { return realValue(r.figures.stdRatio); }},
    {"absolute_p50", [](const BlockRow& r) { return realValue(r.block->quantiles[0]); }},
    {"absolute_p90", [](const BlockRow& r) { return realValue(r.block->quantiles[1]); }},
    {"absolute_p99", [](const BlockRow& r) { return realValue(r.block->quantiles[2]); }},
    {"absolute_p999", [](const BlockRow& r) { return realValue(r.block->quantiles[3]); }},
    {"digits_mean", [](const BlockRow& r) { return realValue(r.figures.digitsMean); }},
    {"digits_min", [](const BlockRow& r) { return realValue(r.figures.digitsMin); }},
    {"error_autocorrelation_row", [](const BlockRow& r) { return realValue(r.figures.errorAutocorrelationRow); }},
    {"error_autocorrelation_column",
     [](const BlockRow& r) { return realValue(r.figures.errorAutocorrelationColumn); }},
    {"over_tolerance", [](const BlockRow& r) { return integerValue(r.block->overTolerance); },
     FigureNeeds::tolerance},
    {"over_tolerance_fraction", [](const BlockRow& r) { return realValue(r.figures.overToleranceFraction); },
     FigureNeeds::tolerance},
    {"absolute_mean_weighted", [](const BlockRow& r) { return realValue(r.figures.absoluteMeanWeighted); },
     FigureNeeds::weights},
    {"relative_mean_weighted", [](const BlockRow& r) { return realValue(r.figures.relativeMeanWeighted); },
     FigureNeeds::weights},
    {"bit_pairs", [](const BlockRow& r) { return integerValue(r.bits.bitPairs); }, FigureNeeds::bits},
    {"information_bits", [](const BlockRow& r) { return realValue(r.bits.informationBits); }, FigureNeeds::bits},
    {"keepbits", [](const BlockRow& r) { return integerValue(r.bits.keepbits); }, FigureNeeds::bits},
    {"quantized_bits", [](const BlockRow& r) { return integerValue(r.bits.quantizedBits); }, FigureNeeds::bits},
    {"bits_margin", [](const BlockRow& r) { return integerValue(r.bits.bitsMargin); }, FigureNeeds::bits},
    {"information_kept", [](const BlockRow& r) { return realValue(r.bits.informationKept); }, FigureNeeds::bits},
};

constexpr int kColumnCount = sizeof kColumns / sizeof kColumns[0];

}  // namespace

bool isGiven(FigureNeeds needs, const StatisticsSettings& settings) {
    switch (needs) {
        case FigureNeeds::nothing: return true;
        case FigureNeeds::weights: return settings.weights.kind != RowWeights::Kind::none;
        case FigureNeeds::tolerance: return !std::isnan(settings.tolerance);
        case FigureNeeds::bits: return settings.bits;
    }
    return true;
}

void writeTableNumber(std::FILE* out, double value) {
    if (std::isnan(value)) {
        std::fputs("nan", out);  // whatever its sign bit: the report says nan too
    } else {
        std::fprintf(out, "%.17g", value);
    }
}

BlockRow blockRowOf(const char* run, const BlockResult& result) {
    const StatisticsPart* block = &result.statistics->block;
    const StatisticsSettings* settings = &result.statistics->settings;
    BitFigures bits{};
    if (settings->bits) bits = bitFiguresOf(*block, settings->informationLevel);
    return BlockRow{run, &result, block, figuresOf(*block), settings, bits};
}

void writeTableHeader(std::FILE* out, const StatisticsSettings& settings) {
    for (int i = 0; i < kColumnCount; ++i) {
        if (!isGiven(kColumns[i].needs, settings)) continue;
        if (i > 0) std::fputc('\t', out);
        std::fputs(kColumns[i].name, out);
    }
    std::fputc('\n', out);
}

void writeTableRow(std::FILE* out, const BlockRow& row) {
    for (int i = 0; i < kColumnCount; ++i) {
        if (!isGiven(kColumns[i].needs, *row.settings)) continue;
        if (i > 0) std::fputc('\t', out);
        Value value = kColumns[i].value(row);
        switch (value.kind) {
            case Value::isText: writeEscapedText(out, value.text); break;
            case Value::isInteger: std::fprintf(out, "%lld", value.integer); break;
            case Value::isReal: writeTableNumber(out, value.real); break;
        }
    }
    std::fputc('\n', out);
}

}  // namespace gridcmp
