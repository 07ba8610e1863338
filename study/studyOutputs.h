// The study's outputs, listed once: the table (--table), the cells file
// (--cells) and the JSON summary (--json). Each entry says where its file
// comes from and what writes it; main opens, fills and replaces the outputs
// in the order listed, the checks on the files given (studyInputs) and each
// run's collector (compareRun) go through the same list. Another output is
// one more entry and its writer.
//
// Outputs of rows (a header writer) are gathered run by run, side by side:
// each run writes its rows to a sink of its own (runRows.h), and the output
// is the header, then every run's rows in run order. Outputs written at the
// end see every run and the exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "compare/ComparisonReceiver.h"
#include "study/RunSummary.h"
#include "study/StudyOptions.h"
#include "study/diagnostics.h"
#include "study/studyTable.h"

namespace gridcmp {

// What an output written at the end sees.
struct StudyEnd {
    const std::vector<RunSummary>& runs;
    const StudyVerdict& verdict;
    const StudyOptions& options;
    int exitStatus;  // may be worse than the verdict's: an output could not be written
    const char* version;
};

struct StudyOutput {
    const char* option;                       // "--table", for messages
    const char* name;                         // "table": "cannot write the table ..."
    std::string StudyOptions::*destination;   // "": not asked for; "-": standard output
    // An output of rows: its header line, and what a run writes to its sink.
    void (*writeHeader)(std::FILE* out, const StudyOptions& options);  // nullptr: no rows
    void (*writeBlock)(std::FILE* sink, const BlockRow& row);  // for each completed block; nullptr: none
    // For each compared row pair of the blocks it wants; nullptr: none.
    bool (*wantsRowsOf)(const StudyOptions& options, const char* label);
    void (*writeRowPair)(std::FILE* sink, const char* run, const RowPair& pair);
    // An output written once the exit status is known; nullptr: none.
    void (*writeAtEnd)(std::FILE* out, const StudyEnd& end);
};

constexpr int kStudyOutputCount = 3;
extern const StudyOutput kStudyOutputs[kStudyOutputCount];

}  // namespace gridcmp
