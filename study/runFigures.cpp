#include "study/runFigures.h"

#include <cmath>
#include <cstring>

namespace gridcmp {

namespace {

enum class InBlock {
    none,        // no figure of its own in a block
    sameColumn,  // the table's column of the same name
    overCompared // a mean over the block's compared cells (the table's are over columns x rows)
};

struct RunFigure {
    const char* name;
    double (*value)(const RunSummary&);
    InBlock inBlock;
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
    {"blocks_paired", [](const RunSummary& r) { return count(r.blocksPaired); }, InBlock::none},
    {"blocks_unpaired_original", [](const RunSummary& r) { return count(r.counts.unpairedOriginal); }, InBlock::none},
    {"blocks_unpaired_quantized", [](const RunSummary& r) { return count(r.counts.unpairedQuantized); }, InBlock::none},
    {"blocks_left", [](const RunSummary& r) { return count(r.blocksLeft); }, InBlock::none},
    {"paired_fraction", pairedFraction, InBlock::none},
    {"cells_compared", [](const RunSummary& r) { return count(r.cellsCompared); }, InBlock::sameColumn},
    {"relative_mean", [](const RunSummary& r) { return r.relativeMean; }, InBlock::overCompared, true},
    {"absolute_mean", [](const RunSummary& r) { return r.absoluteMean; }, InBlock::overCompared},
    {"bias", [](const RunSummary& r) { return figuresOf(r.statistics).bias; }, InBlock::sameColumn},
    {"rmse", [](const RunSummary& r) { return figuresOf(r.statistics).rmse; }, InBlock::sameColumn},
    {"nrmse", [](const RunSummary& r) { return figuresOf(r.statistics).nrmse; }, InBlock::sameColumn},
    {"correlation", [](const RunSummary& r) { return figuresOf(r.statistics).correlation; }, InBlock::sameColumn},
    {"original_mean", [](const RunSummary& r) { return figuresOf(r.statistics).originalMean; }, InBlock::sameColumn},
    {"quantized_mean", [](const RunSummary& r) { return figuresOf(r.statistics).quantizedMean; }, InBlock::sameColumn},
    {"max_absolute", [](const RunSummary& r) { return r.statistics.largestAbsolute.error; }, InBlock::sameColumn},
    {"max_relative", [](const RunSummary& r) { return r.statistics.largestRelative.error; }, InBlock::sameColumn},
    {"zero_quantized", [](const RunSummary& r) { return count(r.statistics.zeroQuantized); }, InBlock::sameColumn},
    {"nonfinite_quantized", [](const RunSummary& r) { return count(r.statistics.nonfiniteQuantized); },
     InBlock::sameColumn},
    {"nonfinite_original", [](const RunSummary& r) { return count(r.statistics.nonfiniteOriginal); },
     InBlock::sameColumn},
    {"nonfinite_cells", [](const RunSummary& r) { return count(r.statistics.nonfiniteCells); }, InBlock::sameColumn},
    {"nonfinite_blocks", [](const RunSummary& r) { return count(r.nonfiniteBlocks); }, InBlock::none},
    {"zero_blocks", [](const RunSummary& r) { return count(r.zeroBlocks); }, InBlock::none},
};

const RunFigure* find(const char* name) {
    for (const RunFigure& figure : kFigures) {
        if (std::strcmp(figure.name, name) == 0) return &figure;
    }
    return nullptr;
}

// The figure `name` of one block of the run, where there is one.
bool blockFigure(const BlockRow& row, const char* name, double& value) {
    const RunFigure* figure = find(name);
    if (!figure) return false;
    switch (figure->inBlock) {
        case InBlock::none: return false;
        case InBlock::sameColumn: return tableNumber(row, name, value);
        case InBlock::overCompared:
            value = std::strcmp(name, "relative_mean") == 0 ? blockRelativeMeanOverCompared(*row.result)
                                                            : blockAbsoluteMeanOverCompared(*row.result);
            return true;
    }
    return false;
}

}  // namespace

bool isRunFigure(const char* name) { return find(name) != nullptr; }

double runFigure(const RunSummary& run, const char* name) {
    const RunFigure* figure = find(name);
    return figure ? figure->value(run) : std::nan("");
}

bool hasBlockFigure(const char* name) {
    const RunFigure* figure = find(name);
    return figure && figure->inBlock != InBlock::none;
}

bool isOfRelativeTerms(const char* name) {
    const RunFigure* figure = find(name);
    return figure && figure->ofRelativeTerms;
}

bool blockCrosses(const BlockRow& row, const Gate& gate, double& value) {
    const char* name = gate.figure.c_str();
    if (!blockFigure(row, name, value)) return false;
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
