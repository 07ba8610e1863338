// Where each run writes its rows of the outputs of rows (the table, the
// cells file) while the runs go on side by side: a temporary file of its own
// for each, unlinked as soon as it is made, so that no way out of the program
// (an error, Ctrl-C, kill, a closed pipe) leaves one behind. Once every run
// is done, each output is its header and the runs' files copied into it in
// run order. Memory stays the same whatever the rows' size.
#pragma once

#include <cstdio>
#include <string>

#include "study/studyOutputs.h"

namespace gridcmp {

// One run's sinks, one per output of the list (studyOutputs.h); nullptr where
// the output is not asked for or has no rows.
struct RunRows {
    std::FILE* sinks[kStudyOutputCount] = {};
};

// Makes `*rows` a temporary file for one run's rows, in $TMPDIR (or /tmp),
// already unlinked. On failure, `error` says why.
bool openRunRows(std::FILE** rows, std::string* error);

// Writes out what the run left buffered, once it is done. On failure,
// `error` says why.
bool flushRunRows(std::FILE* rows, std::string* error);

// Copies a run's rows, whole, to `out`, and closes `rows`. On failure,
// `error` says why.
bool copyRunRows(std::FILE* rows, std::FILE* out, std::string* error);

}  // namespace gridcmp
