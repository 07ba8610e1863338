// What gridcmp-study writes about its runs as text: the summary, and the
// diagnostics on standard error.
#pragma once

#include <cstdio>
#include <vector>

#include "study/RunSummary.h"
#include "study/StudyOptions.h"
#include "study/diagnostics.h"

namespace gridcmp {

// A header line, then one line per run, columns aligned: the run, blocks
// paired, blocks of each log that found no partner, the mean |1 - s/q| and
// |s - q| over every compared cell, the RMSE and correlation of the run, its
// worst block (by RMSE), the blocks where the quantized run is nan or inf,
// how the run ended, and its verdict; then, for each run, where its original
// and its quantized values first turned nan or inf, and a line for each gate
// it fails.
void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs, const StudyVerdict& verdict,
                  const StudyOptions& options);

// One line per diagnostic, each naming the file and saying what to do; the
// original's first.
void writeDiagnostics(std::FILE* out, const StudyVerdict& verdict);

}  // namespace gridcmp
