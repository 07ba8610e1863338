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
};

const RunFigure* find(const char* name) {
    for (const RunFigure& figure : kFigures) {
        if (std::strcmp(figure.name, name) == 0) return &figure;
    }
    return nullptr;
}

}  // namespace

bool isRunFigure(const char* name) { return find(name) != nullptr; }

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

bool blockCrosses(const BlockRow& row, const Gate& gate, double& value) {
    const char* name = gate.figure.c_str();
    const RunFigure* figure = find(name);
    if (!figure || !figure->inBlock) return false;
    value = figure->inBlock(row);
    // A block's figure that is nan only for want of cells or of a spread (no
    // cell compared, the largest |1 - s/q| where every q is 0, the nrmse of a
    // field without a range, the correlation of a constant field) crosses no
    // limit; one that is nan for nan or inf cells, quantized values of 0 or a
    // sum past the largest double does.
    const StatisticsPart& block = *row.block;
    const Moments& moments = block.moments;
    bool forWant = block.nonfiniteCells == 0 &&
                   (block.cells == 0 || (std::strcmp(name, "max_relative") == 0 && block.largestRelative.at.row == 0) ||
                    (std::strcmp(name, "nrmse") == 0 && block.highestOriginal == block.lowestOriginal) ||
                    (std::strcmp(name, "correlation") == 0 &&
                     (moments.originalSquares == 0.0 || moments.quantizedSquares == 0.0)));
    if (std::isnan(value) && forWant) return false;
    return crosses(value, gate.failsAbove, gate.limit);
}

int runFigureCount() { return sizeof kFigures / sizeof kFigures[0]; }
const char* runFigureName(int figure) { return kFigures[figure].name; }

bool crosses(double value, bool failsAbove, double limit) {
    return failsAbove ? !(value <= limit) : !(value >= limit);
}

}  // namespace gridcmp
