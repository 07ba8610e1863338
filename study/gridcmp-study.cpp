// gridcmp-study: a quantization study, the original run compared with several
// quantized runs at once, by the same reading, pairing and sums as gridcmp.
//
//     gridcmp-study [OPTIONS] ORIGINAL QUANTIZED...
//
// One summary line per run on standard output, the full table on request
// (--table), and a diagnostic on standard error for everything that a
// comparison passes over in silence.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "study/StudyOptions.h"
#include "study/compareRun.h"
#include "study/parallelRuns.h"
#include "study/rowSpool.h"
#include "study/studyInputs.h"
#include "study/studyReport.h"
#include "study/studyTable.h"
#include "study/tableFile.h"

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

}  // namespace

int main(int argc, char** argv) {
    StudyOptions options;
    std::string error;
    switch (parseStudyOptions(argc, argv, options, error)) {
        case StudyCommand::help: std::fputs(studyUsage(), stdout); return 0;
        case StudyCommand::version: std::printf("gridcmp-study %s\n", GRIDCMP_VERSION); return 0;
        case StudyCommand::usageError: return usageError(error);
        case StudyCommand::compare: break;
    }
    const int runCount = static_cast<int>(options.quantized.size());
    std::string problem = studyInputsProblem(options);
    if (!problem.empty()) return usageError(problem);

    TableFile table;
    RowSpool rows;
    bool wantTable = !options.table.empty();
    if (wantTable && !openTableFile(table, options.table, error)) return usageError(error);
    if (wantTable && !openRowSpool(rows, runCount, error)) {
        finishTableFile(table, false);
        return usageError(error);
    }

    std::vector<RunSummary> runs(runCount);
    int jobs = options.jobs > 0 ? options.jobs : usableProcessors();
    runInParallel(runCount, jobs, [&](int i) {
        const char* quantized = options.quantized[i].c_str();
        std::FILE* runRows = nullptr;
        int rowsError = 0;
        if (wantTable) {
            runRows = openRunRows();
            if (!runRows) rowsError = errno;
        }
        runs[i] = compareRun(options.original.c_str(), quantized, quantized, runRows);
        if (runRows) rowsError = spoolRunRows(rows, i, runRows);
        if (wantTable && rowsError != 0) {
            runs[i].tableWriteFailed = true;
            runs[i].tableWriteError = rowsError;
        }
    });

    bool tableWritten = true;
    if (wantTable) {
        writeTableHeader(table.out);
        int failed = writeSpooledRows(rows, table.out);
        for (const RunSummary& run : runs) {
            if (failed == 0 && run.tableWriteFailed) failed = run.tableWriteError;  // a table without them is not whole
        }
        int finished = finishTableFile(table, failed == 0);
        if (failed == 0) failed = finished;
        tableWritten = failed == 0;
        if (!tableWritten) {
            std::fprintf(stderr, "gridcmp-study: cannot write the table %s: %s\n",
                         table.toStandardOutput ? "to standard output" : options.table.c_str(), std::strerror(failed));
        }
    }

    writeSummary(table.toStandardOutput ? stderr : stdout, runs);
    if (!options.quiet) writeDiagnostics(stderr, runs, options);
    int status = studyExitStatus(runs, options);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "gridcmp-study: cannot write to standard output: %s\n", std::strerror(errno));
        status = 2;
    }
    return tableWritten ? status : 2;
}
