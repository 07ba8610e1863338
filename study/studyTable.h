// The study table: one tab-separated row per compared block of every run,
// under a header line, every number at full precision. Its columns are listed
// once (studyTable.cpp): the header and the rows both come from that list.
#pragma once

#include <cstdio>

#include "compare/BlockResult.h"
#include "compare/BlockStatistics.h"
#include "compare/fieldBits.h"

namespace gridcmp {

// What a column or a figure needs besides the logs: weights (--latitudes or
// --row-weights), --tolerance, or --bits.
enum class FigureNeeds { nothing, weights, tolerance, bits };
bool isGiven(FigureNeeds needs, const StatisticsSettings& settings);

// One compared block of one run, as the table sees it.
struct BlockRow {
    const char* run;                // the run's name
    const BlockResult* result;
    const StatisticsPart* block;    // the block's statistics
    Figures figures;                // figuresOf(*block)
    const StatisticsSettings* settings;  // which figures there are
    BitFigures bits;                // with settings->bits: bitFiguresOf(*block)
};

BlockRow blockRowOf(const char* run, const BlockResult& result);

// The header line, with its newline: the columns there are with `settings`.
void writeTableHeader(std::FILE* out, const StatisticsSettings& settings);

// One row. Numbers as %.17g (they read back to the same double), "nan",
// "inf" and "-inf" as such; texts escaped (escapedText.h), so that nothing in
// them ends a field or a row, or opens a quoted field.
void writeTableRow(std::FILE* out, const BlockRow& row);

// A number as the table writes it: %.17g, "nan" (whatever its sign bit),
// "inf" or "-inf".
void writeTableNumber(std::FILE* out, double value);

}  // namespace gridcmp
