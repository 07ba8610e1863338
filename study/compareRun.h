// One run of a study: the original log compared with one quantized log, by
// the same reading, pairing and sums as gridcmp.
#pragma once

#include <cstdio>

#include "study/RunSummary.h"

namespace gridcmp {

// Compares the two logs and sums up the run. When `tableRows` is given, writes
// one table row per completed block to it (see studyTable.h), `run` naming the
// run in them. Opens and closes both logs itself; memory stays the same
// whatever their size.
RunSummary compareRun(const char* original, const char* quantized, const char* run, std::FILE* tableRows);

}  // namespace gridcmp
