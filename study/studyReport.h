// What gridcmp-study says about its runs: the summary lines, the diagnostics,
// the gates, and the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "study/RunSummary.h"
#include "study/StudyOptions.h"

namespace gridcmp {

// The summary and the diagnostics show labels cut to 40 characters.
constexpr std::size_t kShownLabelChars = 40;

// A label as the summary and the diagnostics show it: cut, and escaped.
std::string shownLabel(const std::string& label);

// One thing that is off, for standard error and the JSON summary.
struct Diagnostic {
    const char* kind;     // a fixed word: "unpaired_blocks", "nonfinite_blocks" ...
    std::string file;     // the log it is about
    long long count;      // how many (blocks, rows), where it says; else 0
    long long line;       // the first line it is about, where it says; else 0
    std::string text;     // the whole line, in words (without "gridcmp-study: ")
    bool failsStrict;     // --strict fails the study on it
};

// How a run ended, in words: "both logs ended", "stopped: MESSAGE" ...
std::string endText(const RunSummary& run);
// ... and as one word: both_ended, original_ended, quantized_ended, stopped,
// unreadable.
const char* endKind(const RunSummary& run);

// What is off in the original log itself, whichever runs met it (each run
// reads it as far as its own comparison goes).
std::vector<Diagnostic> originalDiagnostics(const std::vector<RunSummary>& runs);

// What is off in one run: where it stopped, what it passed over, its
// nan/inf blocks, the gates it fails.
std::vector<Diagnostic> runDiagnostics(const RunSummary& run, const StudyOptions& options);

// The text of a failed gate, as the summary and the diagnostics say it.
std::string gateText(const RunSummary& run, const Gate& gate, const GateOutcome& outcome);

// A header line, then one line per run, columns aligned: the run, blocks
// paired, blocks of each log that found no partner, the mean |1 - s/q| and
// |s - q| over every compared cell, the RMSE and correlation of the run, its
// worst block (by RMSE), the blocks whose mean is nan or inf, and how the run
// ended; then a line for each gate a run fails.
void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options);

// One line per diagnostic, each naming the file and saying what to do; the
// original's first.
void writeDiagnostics(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options);

// 2: a log could not be read or an output not written; 1: a run stopped on a
// message, paired no block or compared no cell (with --strict: or anything
// was said of it or of the original log); 3: a gate failed; else 0.
int studyExitStatus(const std::vector<RunSummary>& runs, const StudyOptions& options);

}  // namespace gridcmp
