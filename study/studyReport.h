// What gridcmp-study says about its runs: the summary lines, the diagnostics,
// and the exit status.
#pragma once

#include <cstdio>
#include <vector>

#include "study/RunSummary.h"
#include "study/StudyOptions.h"

namespace gridcmp {

// A header line, then one line per run, columns aligned: the run, blocks
// paired, blocks of each log that found no partner, the mean |1 - s/q| and
// |s - q| over every compared cell with the worst block of each (label and
// block mean), the blocks whose relative mean is nan or inf, and how the run
// ended.
void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs);

// One line per thing that is off, each naming the file and saying what to do;
// nothing when all is well. What is off in the original log itself is said
// once, before the runs, whichever runs met it.
void writeDiagnostics(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options);

// 2: a log could not be read or the table not written; 1: a run stopped on a
// message or paired no block (with --strict: or anything was said of it or of
// the original log); 3: a mean above a given limit; else 0.
int studyExitStatus(const std::vector<RunSummary>& runs, const StudyOptions& options);

}  // namespace gridcmp
