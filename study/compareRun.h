// One run of a study: the original log compared with one quantized log, by
// the same reading, pairing and sums as gridcmp.
#pragma once

#include <cstdio>

#include "gridlog/GridLogReader.h"
#include "gridlog/LineSupply.h"
#include "study/RunSummary.h"
#include "study/StudyOptions.h"
#include "study/cpuSlots.h"
#include "study/runRows.h"

namespace gridcmp {

// What the study reads: wider grids than gridcmp's 400 columns (a 0.25-degree
// global grid has 1440), rows of up to 65536 values, in lines of up to
// 4194303 characters (65536 values at full precision).
constexpr LogLimits kStudyLimits{std::size_t{1} << 22, 65536};

// Compares the original log, whose lines come converted from `original` (read
// with kStudyLimits; nullptr: the run reads it itself), with quantized log
// `run` of the options, and sums up the run, its gates included; writes its
// rows of each output to that output's sink in `rows`. Opens and closes the
// logs it reads itself.
// When `slots` is given, decompresses it on a thread of its own that holds one
// of them, and with `quantizedOnItsOwnThread` converts it on another. Memory
// stays the same whatever the logs' size. A thread that cannot be started
// leaves its work to this one; out of memory, it throws std::bad_alloc once
// the threads it started have stopped.
RunSummary compareRun(const StudyOptions& options, int run, RunRows rows, LineSupply* original, CpuSlots* slots,
                      bool quantizedOnItsOwnThread);

}  // namespace gridcmp
