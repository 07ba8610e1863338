// The figures of a run, by the names the JSON summary and --fail-if use.
// Listed once (runFigures.cpp); each names, where there is one, the block's
// own figure that a gate follows block by block.
#pragma once

#include "study/RunSummary.h"
#include "study/studyTable.h"

namespace gridcmp {

// Whether `name` is a run figure.
bool isRunFigure(const char* name);

// The run figure `name` of a run (nan where it cannot be had).
double runFigure(const RunSummary& run, const char* name);

// Whether the figure has a counterpart of its own in each block.
bool hasBlockFigure(const char* name);

// The same figure of one block of the run, where there is one.
bool blockFigure(const BlockRow& row, const char* name, double& value);

// How many run figures there are, and the name of each, in order.
int runFigureCount();
const char* runFigureName(int figure);

// Whether a gate's limit is crossed by `value` (nan always crosses).
bool crosses(double value, bool failsAbove, double limit);

}  // namespace gridcmp
