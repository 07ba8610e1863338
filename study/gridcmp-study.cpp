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
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "study/StudyOptions.h"
#include "study/compareRun.h"
#include "study/parallelRuns.h"
#include "study/studyReport.h"
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

// A pipe gives its bytes once; the original is read once per run.
bool readableAgain(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return true;  // said when the run opens it
    return S_ISREG(status.st_mode) || S_ISBLK(status.st_mode);
}

// The table's rows are gathered per run in a file of its own, in a folder
// made for them: runs side by side do not mix their rows, memory stays the
// same, and no more files are open than runs going on at once.
struct RowFiles {
    std::string folder;  // empty: no table wanted
    std::string of(int run) const { return folder + "/run-" + std::to_string(run) + ".tsv"; }
};

bool makeRowFiles(RowFiles& rows, std::string& error) {
    const char* temporary = std::getenv("TMPDIR");
    std::string folder = std::string(temporary && *temporary ? temporary : "/tmp") + "/gridcmp-study-XXXXXX";
    if (!mkdtemp(&folder[0])) {
        error = "cannot make a temporary folder for the table in " + folder.substr(0, folder.rfind('/')) + ": " +
                std::strerror(errno);
        return false;
    }
    rows.folder = folder;
    return true;
}

// Appends each run's rows to `table`, in run order, and removes them.
bool gatherRows(const RowFiles& rows, int runCount, std::FILE* table) {
    bool copied = true;
    char chunk[1 << 16];
    for (int run = 0; run < runCount; ++run) {
        std::FILE* from = std::fopen(rows.of(run).c_str(), "rb");
        if (!from) {
            copied = false;
            continue;
        }
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, from)) > 0) {
            if (std::fwrite(chunk, 1, got, table) != got) copied = false;
        }
        copied = copied && !std::ferror(from);
        std::fclose(from);
        std::remove(rows.of(run).c_str());
    }
    rmdir(rows.folder.c_str());
    return copied;
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
    if (runCount > 1 && !readableAgain(options.original)) {
        return usageError(options.original + " is a pipe or device, and is read once per run: save it to a file first");
    }

    bool tableToOutput = options.table == "-";
    std::FILE* table = nullptr;
    if (tableToOutput) {
        table = stdout;
    } else if (!options.table.empty()) {
        table = std::fopen(options.table.c_str(), "w");
        if (!table) return usageError("cannot write " + options.table + ": " + std::strerror(errno));
    }
    RowFiles rows;
    if (table && !makeRowFiles(rows, error)) return usageError(error);

    std::vector<RunSummary> runs(runCount);
    int jobs = options.jobs > 0 ? options.jobs : usableProcessors();
    runInParallel(runCount, jobs, [&](int i) {
        const char* quantized = options.quantized[i].c_str();
        std::FILE* runRows = table ? std::fopen(rows.of(i).c_str(), "wb") : nullptr;
        runs[i] = compareRun(options.original.c_str(), quantized, quantized, runRows);
        if (table && (!runRows || std::fclose(runRows) != 0)) {
            runs[i].tableWriteFailed = true;
            runs[i].tableWriteError = errno;
        }
    });

    bool tableWritten = true;
    if (table) {
        writeTableHeader(table);
        tableWritten = gatherRows(rows, runCount, table);
        tableWritten = std::fflush(table) == 0 && !std::ferror(table) && tableWritten;
        int tableError = errno;
        if (!tableToOutput) tableWritten = std::fclose(table) == 0 && tableWritten;
        if (!tableWritten) {
            std::fprintf(stderr, "gridcmp-study: cannot write the table %s: %s\n",
                         tableToOutput ? "to standard output" : options.table.c_str(), std::strerror(tableError));
        }
    }

    writeSummary(tableToOutput ? stderr : stdout, runs);
    if (!options.quiet) {
        for (int i = 0; i < runCount; ++i) writeDiagnostics(stderr, runs[i], options, i == 0);
    }
    int status = studyExitStatus(runs, options);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "gridcmp-study: cannot write to standard output: %s\n", std::strerror(errno));
        status = 2;
    }
    return tableWritten ? status : 2;
}
