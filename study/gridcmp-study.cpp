// gridcmp-study: a quantization study, the original run compared with several
// quantized runs at once, by the same reading, pairing and sums as gridcmp.
//
//     gridcmp-study [OPTIONS] ORIGINAL QUANTIZED...
//
// One summary line per run on standard output; on request the full table of
// every block (--table), every cell of chosen blocks (--cells) and a JSON
// summary (--json); a diagnostic on standard error for everything that a
// comparison passes over in silence; gates that fail a run (--fail-if).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "study/StudyOptions.h"
#include "study/compareRun.h"
#include "study/cpuSlots.h"
#include "study/diagnostics.h"
#include "study/lineFeed.h"
#include "study/outputFile.h"
#include "study/parallelRuns.h"
#include "study/rowSpool.h"
#include "study/studyCells.h"
#include "study/studyInputs.h"
#include "study/studyJson.h"
#include "study/studyReport.h"
#include "study/studySource.h"
#include "study/studyTable.h"

#ifndef GRIDCMP_VERSION
#define GRIDCMP_VERSION "unknown"
#endif

namespace {

using namespace gridcmp;

int usageError(const std::string& error) {
    std::fprintf(stderr, "gridcmp-study: %s\nusage: gridcmp-study [OPTIONS] ORIGINAL QUANTIZED...\n"
                         "Try 'gridcmp-study --help' for more.\n",
                 error.c_str());
    return 2;
}

// An output of rows gathered from runs side by side: the file, and the spool
// that holds each run's rows until all are done.
struct RowsOutput {
    bool wanted = false;
    OutputFile file;
    RowSpool spool;
};

bool openRowsOutput(RowsOutput& output, const std::string& destination, int runs, std::string& error) {
    output.wanted = !destination.empty();
    if (!output.wanted) return true;
    if (!openOutputFile(output.file, destination, error)) return false;
    if (openRowSpool(output.spool, runs, error)) return true;
    finishOutputFile(output.file, false);
    return false;
}

// Writes the header and every run's rows, in run order, and renames the file
// into place, unless rows of a run were lost. Says why when it cannot.
bool writeRowsOutput(RowsOutput& output, void (*writeHeader)(std::FILE*), const std::vector<RunSummary>& runs,
                     const char* what) {
    if (!output.wanted) return true;
    writeHeader(output.file.out);
    int failed = writeSpooledRows(output.spool, output.file.out);
    for (const RunSummary& run : runs) {
        if (failed == 0 && run.tableWriteFailed) failed = run.tableWriteError;  // not whole without them
    }
    int finished = finishOutputFile(output.file, failed == 0);
    if (failed == 0) failed = finished;
    if (failed != 0) {
        std::fprintf(stderr, "gridcmp-study: cannot write the %s %s: %s\n", what,
                     output.file.toStandardOutput ? "to standard output" : output.file.destination.c_str(),
                     std::strerror(failed));
    }
    return failed == 0;
}

// A temporary file for one run's rows; 0, or the errno of the failure.
int openRowsOfRun(const RowsOutput& output, std::FILE*& rows) {
    rows = nullptr;
    if (!output.wanted) return 0;
    rows = openRunRows();
    return rows ? 0 : errno;
}

}  // namespace

int main(int argc, char** argv) {
    StudyOptions options;
    std::string error;
    switch (parseStudyOptions(argc, argv, options, error)) {
        case StudyCommand::help: std::fputs(studyUsage(), stdout); return 0;
        case StudyCommand::version:
            std::printf("gridcmp-study %s\ncompressed logs: %s\n", GRIDCMP_VERSION, readableCompressions());
            return 0;
        case StudyCommand::usageError: return usageError(error);
        case StudyCommand::compare: break;
    }
    const int runCount = static_cast<int>(options.quantized.size());
    std::string problem = studyInputsProblem(options);
    if (!problem.empty()) return usageError(problem);

    RowsOutput table;
    RowsOutput cells;
    OutputFile json;
    if (!openRowsOutput(table, options.table, runCount, error) ||
        !openRowsOutput(cells, options.cells, runCount, error) ||
        (!options.json.empty() && !openOutputFile(json, options.json, error))) {
        finishOutputFile(table.file, false);
        finishOutputFile(cells.file, false);
        return usageError(error);
    }

    std::vector<RunSummary> runs(runCount);
    // The original is read and converted once, on a thread of its own, for
    // every run; the runs go side by side, as many working at a time as -j
    // allows (each waits, without its slot, for what it needs from another).
    // One run on one core reads it itself: handing lines over would only
    // cost.
    int jobs = options.jobs > 0 ? options.jobs : usableProcessors();
    CpuSlots slots(jobs);
    CpuSlots* decompression = jobs > 1 ? &slots : nullptr;  // on threads of their own where cores allow
    std::unique_ptr<StudySource> originalSource;
    std::unique_ptr<LineFeed> original;
    if (runCount > 1 || jobs > 1) {
        originalSource = openStudySource(options.original.c_str(), decompression);
        original = startLineFeed(originalSource->bytes(), options.original.c_str(), kStudyLimits, runCount, &slots);
        if (!original) {
            int why = errno;
            finishOutputFile(table.file, false);
            finishOutputFile(cells.file, false);
            finishOutputFile(json, false);
            std::fprintf(stderr, "gridcmp-study: cannot start a thread: %s\n", std::strerror(why));
            return 2;
        }
    }
    bool started = runAllAtOnce(runCount, [&](int i) {
        SlotHeld held(&slots);
        RunRows rows;
        int rowsError = openRowsOfRun(table, rows.table);
        if (rowsError == 0) rowsError = openRowsOfRun(cells, rows.cells);
        // Where every run can have two cores of its own beside the original's
        // (not on two cores: three threads there take longer than two), the
        // quantized logs are converted on threads of their own too.
        runs[i] = compareRun(options, i, rows, original ? &original->reader(i) : nullptr, decompression,
                             jobs > 2 * runCount);
        if (original) original->leave(i);
        for (auto [output, file] : {std::make_pair(&table, rows.table), std::make_pair(&cells, rows.cells)}) {
            if (!file) continue;
            int failed = spoolRunRows(output->spool, i, file);
            if (rowsError == 0) rowsError = failed;
        }
        if (rowsError != 0) {
            runs[i].tableWriteFailed = true;
            runs[i].tableWriteError = rowsError;
        }
    });
    // Every run has stopped reading the original: a writer that keeps its
    // pipe open is not waited for.
    if (original) {
        stopReading(*originalSource);
        original.reset();
        originalSource.reset();
    }
    if (!started) {
        finishOutputFile(table.file, false);
        finishOutputFile(cells.file, false);
        finishOutputFile(json, false);
        std::fprintf(stderr, "gridcmp-study: cannot start a thread for each of the %d runs: give fewer at a time\n",
                     runCount);
        return 2;
    }

    bool written = writeRowsOutput(table, writeTableHeader, runs, "table");
    written = writeRowsOutput(cells, writeCellsHeader, runs, "cells") && written;

    bool outputOnStandardOutput =
        table.file.toStandardOutput || cells.file.toStandardOutput || json.toStandardOutput;
    StudyVerdict verdict = judgeStudy(runs, options);
    writeSummary(outputOnStandardOutput ? stderr : stdout, runs, verdict, options);
    if (!options.quiet) writeDiagnostics(stderr, verdict);
    int status = verdict.exitStatus;
    if (!written) status = 2;
    // The JSON summary says the exit status: whatever else could fail is
    // known before it is written (but for the JSON itself on standard output).
    auto standardOutputFailed = [] {
        if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return false;
        std::fprintf(stderr, "gridcmp-study: cannot write to standard output: %s\n", std::strerror(errno));
        return true;
    };
    if (!json.toStandardOutput && standardOutputFailed()) status = 2;
    if (json.out) {
        writeStudyJson(json.out, runs, verdict, options, status, GRIDCMP_VERSION);
        int failed = finishOutputFile(json, true);
        if (failed != 0) {
            std::fprintf(stderr, "gridcmp-study: cannot write the JSON summary %s: %s\n",
                         json.toStandardOutput ? "to standard output" : options.json.c_str(), std::strerror(failed));
            status = 2;
        }
    }
    if (json.toStandardOutput && standardOutputFailed()) status = 2;
    return status;
}
