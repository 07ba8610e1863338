// What gridcmp-study finds off in a study, and what it makes of each run:
// the diagnostics, each with what it does to the run's verdict; the verdict
// of each run; the exit status. Worked out once, after every run, for the
// summary, standard error and the JSON summary alike.
#pragma once

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
    long long count;      // how many (blocks, rows, cells), where it says; else 0
    long long line;       // the first line it is about, where it says; else 0
    std::string text;     // the whole line, in words (without "gridcmp-study: ")
    bool failsStrict;     // --strict fails a run on it (if nothing else does)
    int exitStatus;       // what it makes of the run, with the options given: 0 (it is only said), 1, 2, 3
    std::string verdict;  // where it fails the run, why in a few words: "nan from 0006.5000", "partial"
};

// Why a run fails: one reason for each different verdict of its
// diagnostics (and of the original's), those that give exit status 2 first,
// then 1 (what went wrong, then "partial", then what only --strict fails),
// then 3, each in the order said.
struct Reason {
    const char* kind;     // the diagnostic's
    std::string verdict;
    int exitStatus;       // 1, 2 or 3
};

struct RunVerdict {
    std::vector<Diagnostic> diagnostics;  // what is off in the run, in the order said
    std::vector<Reason> reasons;          // empty: the run passes
};

struct StudyVerdict {
    std::vector<Diagnostic> original;  // what is off in the original log itself, said once
    std::vector<RunVerdict> runs;      // one per run, in order
    int exitStatus;                    // of the study: 2 before 1 before 3; 0 when every run passes
};

// Judges every run of the study. A run fails (exit status 1) when it stopped
// on a message, paired no block, compared no cell, met a quantized value of
// nan or inf where the original's is finite, or a figure overflowed; with
// weights, when a row had none (beyond those given) or no row weighed more
// than 0; when it passed over anything (blocks without a partner, left over,
// cut after their time line or run into the next, original values without a
// quantized partner, quantized rows beyond the original's block, a last line
// without a newline), unless --allow-partial; and every run fails when any met
// an original value of nan or inf (those of a block a log ended inside
// included). A gate on nonfinite_quantized or nonfinite_blocks replaces the
// test of the quantized run's nan and inf, one on nonfinite_original that of
// the original's, and one on a figure that counts unpaired or left blocks the
// test of those it counts. With --strict, every other diagnostic fails a run
// too, but for the note on quantized values of 0 (and, with --allow-partial,
// what was passed over). A log or output that cannot be read or written gives
// 2; a failed gate 3.
StudyVerdict judgeStudy(const std::vector<RunSummary>& runs, const StudyOptions& options);

// A run's verdict in a few words: "pass", or its first reason.
std::string verdictText(const RunVerdict& verdict);

// How a run ended, in words: "both logs ended", "stopped: MESSAGE" ...
std::string endText(const RunSummary& run);
// ... and as one word: both_ended, original_ended, quantized_ended, stopped,
// unreadable.
const char* endKind(const RunSummary& run);

// The text of a failed gate, as the summary and the diagnostics say it.
std::string gateText(const RunSummary& run, const Gate& gate, const GateOutcome& outcome);

// Where a run's quantized values, or the original's, first turned nan or
// inf: in its completed blocks, else in the block a log ended inside.
struct FirstNonfinite {
    const CellAt* cell = nullptr;  // nullptr: nowhere
    double value = 0.0;            // the value there that is nan or inf
    std::string label;
    bool inUnfinishedBlock = false;
};
FirstNonfinite firstNonfiniteQuantized(const RunSummary& run);
FirstNonfinite firstNonfiniteOriginal(const RunSummary& run);

// The same in words ("nan from block '0006.5000' (row 3, column 7; line 523
// of original.log, line 523 of fp16.log)"); empty when nowhere.
std::string nonfiniteText(const RunSummary& run, const FirstNonfinite& first);

}  // namespace gridcmp
