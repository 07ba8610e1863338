// One run of a study: the original log compared with one quantized log, by
// the same reading, pairing and sums as gridcmp.
#pragma once

#include <cstdio>

#include "study/RunSummary.h"
#include "study/StudyOptions.h"

namespace gridcmp {

// Where a run writes its rows as it goes (nullptr: not wanted): one table row
// per completed block (studyTable.h), and one cells row per compared cell of
// the blocks labelled options.cellsLabel (studyCells.h).
struct RunRows {
    std::FILE* table = nullptr;
    std::FILE* cells = nullptr;
};

// Compares the original log with quantized log `run` of the options and sums
// up the run, its gates included. Opens and closes both logs itself; memory
// stays the same whatever their size.
RunSummary compareRun(const StudyOptions& options, int run, RunRows rows);

}  // namespace gridcmp
