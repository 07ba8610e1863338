// The figures of a run, by the names the JSON summary and --fail-if use.
// Listed once (runFigures.cpp); each names, where there is one, the block's
// own figure that a gate follows block by block.
#pragma once

#include "study/RunSummary.h"
#include "study/StudyOptions.h"
#include "study/studyTable.h"

namespace gridcmp {

// Whether `name` is a run figure.
bool isRunFigure(const char* name);

// Whether the figure is a count (of cells, blocks or bits): a whole number.
bool isCountFigure(const char* name);

// Whether the figure takes the rows' weights, where there are any.
bool isWeightedFigure(const char* name);

// The run figure `name` of a run (nan where it cannot be had).
double runFigure(const RunSummary& run, const char* name);

// Whether the figure has a counterpart of its own in each block.
bool hasBlockFigure(const char* name);

// Whether the figure sums |1 - s/q| over every cell, which a quantized value
// of 0 makes inf or nan.
bool isOfRelativeTerms(const char* name);

// Whether a block's own figure crosses the gate's limit (`value`: the
// figure). A nan crosses every limit where nan or inf cells made it so.
bool blockCrosses(const BlockRow& row, const Gate& gate, double& value);

// Whether the run figure `name` exists with the options given: some need
// weights (--latitudes or --row-weights), --tolerance or --bits. What it needs, in
// words ("--tolerance"), or "" when nothing.
bool runFigureGiven(const char* name, const StudyOptions& options);
const char* runFigureNeeds(const char* name);

// How many run figures there are, and the name of each, in order.
int runFigureCount();
const char* runFigureName(int figure);

// Whether a gate's limit is crossed by `value` (nan always crosses).
bool crosses(double value, bool failsAbove, double limit);

}  // namespace gridcmp
