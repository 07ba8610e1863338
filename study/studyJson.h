// The study's machine-readable summary (--json): one object with every run's
// figures, its worst cells and blocks, where it turned nan or inf, its gates,
// its diagnostics and its verdict.
//
// Numbers are written so that they read back to the same double (%.17g);
// JSON has no nan or infinity: nan is null, inf and -inf are 1e999 and
// -1e999, which JSON readers take for infinities (or the largest double), so
// that every figure reads as a number. Every string decodes to its text as
// the table writes it (escapedText.h): no two texts read back alike.
#pragma once

#include <cstdio>
#include <vector>

#include "study/RunSummary.h"
#include "study/StudyOptions.h"
#include "study/diagnostics.h"

namespace gridcmp {

// `exitStatus` is the study's, which may be worse than verdict.exitStatus
// (an output that could not be written).
void writeStudyJson(std::FILE* out, const std::vector<RunSummary>& runs, const StudyVerdict& verdict,
                    const StudyOptions& options, int exitStatus, const char* version);

}  // namespace gridcmp
