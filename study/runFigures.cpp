#include "study/runFigures.h"

#include <cmath>
#include <cstring>

namespace gridcmp {

namespace {

struct RunFigure {
    const char* name;
    double (*value)(const RunSummary&);
    // The block's own figure that a gate follows block by block; nullptr:
    // none. The table's column of the same name, but for the means, which a
    // gate takes over the block's compared cells (the table's are over
    // columns x rows).
    double (*inBlock)(const BlockRow&);
    bool ofRelativeTerms = false;  // a sum of |1 - s/q| over every cell: a quantized 0 makes it inf or nan
    FigureNeeds needs = FigureNeeds::nothing;
};

double count(long long n) { return static_cast<double>(n); }

// The original's blocks that were paired, of all the original had (paired,
// skipped, and left when the quantized log ended first).
double pairedFraction(const RunSummary& r) {
    long long left = r.end == RunEnd::logEnded && r.quantizedEnded && !r.originalEnded ? r.blocksLeft : 0;
    long long all = r.blocksPaired + r.counts.unpairedOriginal + left;
    return all == 0 ? std::nan("") : count(r.blocksPaired) / count(all);
}

const RunFigure kFigures[] = {
    {"blocks_paired", [](const RunSummary& r) { return count(r.blocksPaired); }, nullptr},
    {"blocks_unpaired_original", [](const RunSummary& r) { return count(r.counts.unpairedOriginal); }, nullptr},
    {"blocks_unpaired_quantized", [](const RunSummary& r) { return count(r.counts.unpairedQuantized); }, nullptr},
    {"blocks_left", [](const RunSummary& r) { return count(r.blocksLeft); }, nullptr},
    {"paired_fraction", pairedFraction, nullptr},
    {"cells_compared", [](const RunSummary& r) { return count(r.cellsCompared); },
     [](const BlockRow& b) { return count(b.result->cellsCompared); }},
    {"relative_mean", [](const RunSummary& r) { return r.relativeMean; },
     [](const BlockRow& b) { return blockRelativeMeanOverCompared(*b.result); }, true},
    {"absolute_mean", [](const RunSummary& r) { return r.absoluteMean; },
     [](const BlockRow& b) { return blockAbsoluteMeanOverCompared(*b.result); }},
    {"bias", [](const RunSummary& r) { return figuresOf(r.statistics).bias; },
     [](const BlockRow& b) { return b.figures.bias; }},
    {"rmse", [](const RunSummary& r) { return figuresOf(r.statistics).rmse; },
     [](const BlockRow& b) { return b.figures.rmse; }},
    {"nrmse", [](const RunSummary& r) { return figuresOf(r.statistics).nrmse; },
     [](const BlockRow& b) { return b.figures.nrmse; }},
    {"correlation", [](const RunSummary& r) { return figuresOf(r.statistics).correlation; },
     [](const BlockRow& b) { return b.figures.correlation; }},
    {"original_mean", [](const RunSummary& r) { return figuresOf(r.statistics).originalMean; },
     [](const BlockRow& b) { return b.figures.originalMean; }},
    {"quantized_mean", [](const RunSummary& r) { return figuresOf(r.statistics).quantizedMean; },
     [](const BlockRow& b) { return b.figures.quantizedMean; }},
    {"max_absolute", [](const RunSummary& r) { return r.statistics.largestAbsolute.error; },
     [](const BlockRow& b) { return b.block->largestAbsolute.error; }},
    {"max_relative", [](const RunSummary& r) { return r.statistics.largestRelative.error; },
     [](const BlockRow& b) { return b.block->largestRelative.error; }},
    {"zero_quantized", [](const RunSummary& r) { return count(r.statistics.zeroQuantized); },
     [](const BlockRow& b) { return count(b.block->zeroQuantized); }},
    {"nonfinite_quantized", [](const RunSummary& r) { return count(r.statistics.nonfiniteQuantized); },
     [](const BlockRow& b) { return count(b.block->nonfiniteQuantized); }},
    {"nonfinite_original", [](const RunSummary& r) { return count(r.statistics.nonfiniteOriginal); },
     [](const BlockRow& b) { return count(b.block->nonfiniteOriginal); }},
    {"nonfinite_cells", [](const RunSummary& r) { return count(r.statistics.nonfiniteCells); },
     [](const BlockRow& b) { return count(b.block->nonfiniteCells); }},
    {"nonfinite_blocks", [](const RunSummary& r) { return count(r.nonfiniteBlocks); }, nullptr},
    {"zero_blocks", [](const RunSummary& r) { return count(r.zeroBlocks); }, nullptr},
    {"psnr", [](const RunSummary& r) { return figuresOf(r.statistics).psnr; },
     [](const BlockRow& b) { return b.figures.psnr; }},
    {"std_ratio", [](const RunSummary& r) { return figuresOf(r.statistics).stdRatio; },
     [](const BlockRow& b) { return b.figures.stdRatio; }},
    {"absolute_p50", [](const RunSummary& r) { return r.statistics.quantiles[0]; },
     [](const BlockRow& b) { return b.block->quantiles[0]; }},
    {"absolute_p90", [](const RunSummary& r) { return r.statistics.quantiles[1]; },
     [](const BlockRow& b) { return b.block->quantiles[1]; }},
    {"absolute_p99", [](const RunSummary& r) { return r.statistics.quantiles[2]; },
     [](const BlockRow& b) { return b.block->quantiles[2]; }},
    {"absolute_p999", [](const RunSummary& r) { return r.statistics.quantiles[3]; },
     [](const BlockRow& b) { return b.block->quantiles[3]; }},
    {"digits_mean", [](const RunSummary& r) { return figuresOf(r.statistics).digitsMean; },
     [](const BlockRow& b) { return b.figures.digitsMean; }},
    {"digits_min", [](const RunSummary& r) { return figuresOf(r.statistics).digitsMin; },
     [](const BlockRow& b) { return b.figures.digitsMin; }},
    {"error_autocorrelation_row", [](const RunSummary& r) { return figuresOf(r.statistics).errorAutocorrelationRow; },
     [](const BlockRow& b) { return b.figures.errorAutocorrelationRow; }},
    {"error_autocorrelation_column",
     [](const RunSummary& r) { return figuresOf(r.statistics).errorAutocorrelationColumn; },
     [](const BlockRow& b) { return b.figures.errorAutocorrelationColumn; }},
    {"over_tolerance", [](const RunSummary& r) { return count(r.statistics.overTolerance); },
     [](const BlockRow& b) { return count(b.block->overTolerance); }, false, FigureNeeds::tolerance},
    {"over_tolerance_fraction", [](const RunSummary& r) { return figuresOf(r.statistics).overToleranceFraction; },
     [](const BlockRow& b) { return b.figures.overToleranceFraction; }, false, FigureNeeds::tolerance},
    {"absolute_mean_weighted", [](const RunSummary& r) { return figuresOf(r.statistics).absoluteMeanWeighted; },
     [](const BlockRow& b) { return b.figures.absoluteMeanWeighted; }, false, FigureNeeds::weights},
    {"relative_mean_weighted", [](const RunSummary& r) { return figuresOf(r.statistics).relativeMeanWeighted; },
     [](const BlockRow& b) { return b.figures.relativeMeanWeighted; }, true, FigureNeeds::weights},
    {"bit_pairs", [](const RunSummary& r) { return count(r.bits.bitPairs); },
     [](const BlockRow& b) { return count(b.bits.bitPairs); }, false, FigureNeeds::bits},
    {"information_bits", [](const RunSummary& r) { return r.bits.informationBits; },
     [](const BlockRow& b) { return b.bits.informationBits; }, false, FigureNeeds::bits},
    {"keepbits", [](const RunSummary& r) { return count(r.bits.keepbits); },
     [](const BlockRow& b) { return count(b.bits.keepbits); }, false, FigureNeeds::bits},
    {"quantized_bits", [](const RunSummary& r) { return count(r.bits.quantizedBits); },
     [](const BlockRow& b) { return count(b.bits.quantizedBits); }, false, FigureNeeds::bits},
    {"bits_margin", [](const RunSummary& r) { return count(r.bits.bitsMargin); },
     [](const BlockRow& b) { return count(b.bits.bitsMargin); }, false, FigureNeeds::bits},
    {"information_kept", [](const RunSummary& r) { return r.bits.informationKept; },
     [](const BlockRow& b) { return b.bits.informationKept; }, false, FigureNeeds::bits},
};

// The figures that take the rows' weights where there are any (figuresOf
// works them out from the weighted sums).
const char* const kWeightedFigures[] = {"bias",      "rmse",      "nrmse",       "correlation",
                                        "original_mean", "quantized_mean", "psnr", "std_ratio",
                                        "digits_mean", "absolute_mean_weighted", "relative_mean_weighted"};

// The figures that count (cells, blocks, bits): integers in the JSON
// summary, where every other figure reads back as a float.
const char* const kCountFigures[] = {"blocks_paired",  "blocks_unpaired_original", "blocks_unpaired_quantized",
                                     "blocks_left",    "cells_compared",           "zero_quantized",
                                     "nonfinite_quantized", "nonfinite_original",  "nonfinite_cells",
                                     "nonfinite_blocks", "zero_blocks",            "over_tolerance",
                                     "bit_pairs",      "keepbits",                 "quantized_bits",
                                     "bits_margin"};

const RunFigure* find(const char* name) {
    for (const RunFigure& figure : kFigures) {
        if (std::strcmp(figure.name, name) == 0) return &figure;
    }
    return nullptr;
}

}  // namespace

bool isRunFigure(const char* name) { return find(name) != nullptr; }

bool isCountFigure(const char* name) {
    for (const char* counted : kCountFigures) {
        if (std::strcmp(counted, name) == 0) return true;
    }
    return false;
}

bool isWeightedFigure(const char* name) {
    for (const char* weighted : kWeightedFigures) {
        if (std::strcmp(weighted, name) == 0) return true;
    }
    return false;
}

double runFigure(const RunSummary& run, const char* name) {
    const RunFigure* figure = find(name);
    return figure ? figure->value(run) : std::nan("");
}

bool hasBlockFigure(const char* name) {
    const RunFigure* figure = find(name);
    return figure && figure->inBlock;
}

bool isOfRelativeTerms(const char* name) {
    const RunFigure* figure = find(name);
    return figure && figure->ofRelativeTerms;
}

namespace {

bool withoutSpread(const Moments& moments) { return moments.originalSquares == 0.0 || moments.quantizedSquares == 0.0; }

// Whether a block's figure that is nan is so only for want of cells, pairs,
// weight or a spread (no cell compared, no weight in the block's rows, the
// largest |1 - s/q| where every q is 0, the nrmse or psnr of a field without
// a range, the correlation of a constant field, the ratio of the spreads of
// two constant fields, the autocorrelation of errors without neighbours or
// without a spread), not for nan or inf cells, quantized values of 0 or a sum
// past the largest double.
bool nanForWant(const char* name, const StatisticsPart& block) {
    if (std::strcmp(name, "information_kept") == 0) return true;  // nan only where the original holds no information
    if (block.nonfiniteCells != 0) return false;
    if (block.cells == 0 || (block.isWeighted && block.weighted.weight == 0.0 && isWeightedFigure(name))) return true;
    const Moments& moments = block.isWeighted ? block.weighted.moments : block.moments;
    auto is = [name](const char* figure) { return std::strcmp(name, figure) == 0; };
    if (is("max_relative")) return block.largestRelative.at.row == 0;
    if (is("nrmse") || is("psnr")) return block.highestOriginal == block.lowestOriginal;
    if (is("correlation")) return withoutSpread(moments);
    if (is("std_ratio")) return moments.originalSquares == 0.0 && moments.quantizedSquares == 0.0;
    if (is("error_autocorrelation_row")) return withoutSpread(block.rowErrorPairs);
    if (is("error_autocorrelation_column")) return withoutSpread(block.columnErrorPairs);
    return false;
}

}  // namespace

bool blockCrosses(const BlockRow& row, const Gate& gate, double& value) {
    const char* name = gate.figure.c_str();
    const RunFigure* figure = find(name);
    if (!figure || !figure->inBlock) return false;
    value = figure->inBlock(row);
    if (std::isnan(value) && nanForWant(name, *row.block)) return false;
    return crosses(value, gate.failsAbove, gate.limit);
}

bool runFigureGiven(const char* name, const StudyOptions& options) {
    const RunFigure* figure = find(name);
    if (!figure) return false;
    return isGiven(figure->needs, options.statistics);
}

const char* runFigureNeeds(const char* name) {
    const RunFigure* figure = find(name);
    if (!figure) return "";
    switch (figure->needs) {
        case FigureNeeds::nothing: return "";
        case FigureNeeds::weights: return "--latitudes or --row-weights";
        case FigureNeeds::tolerance: return "--tolerance";
        case FigureNeeds::bits: return "--bits";
    }
    return "";
}

int runFigureCount() { return sizeof kFigures / sizeof kFigures[0]; }
const char* runFigureName(int figure) { return kFigures[figure].name; }

bool crosses(double value, bool failsAbove, double limit) {
    return failsAbove ? !(value <= limit) : !(value >= limit);
}

}  // namespace gridcmp
