// gridcmp-study: a quantization study, the original run compared with several
// quantized runs at once, by the same reading, pairing and sums as gridcmp.
//
//     gridcmp-study [OPTIONS] ORIGINAL QUANTIZED...
//
// One summary line per run on standard output; on request the full table of
// every block (--table), every cell of chosen blocks (--cells) and a JSON
// summary (--json); a diagnostic on standard error for everything that a
// comparison passes over in silence; gates that fail a run (--fail-if).
//
// The outputs replace earlier files only once the summary is written, and
// only when the exit status is not 2: a study that could not be done whole
// leaves every earlier output as it was.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "platform/memoryReserve.h"
#include "study/StudyOptions.h"
#include "study/compareRun.h"
#include "study/cpuSlots.h"
#include "study/diagnostics.h"
#include "study/escapedText.h"
#include "study/lineFeed.h"
#include "study/outputFile.h"
#include "study/parallelRuns.h"
#include "study/runRows.h"
#include "platform/standardStreams.h"
#include "study/studyInputs.h"
#include "study/studyOutputs.h"
#include "study/studyReport.h"
#include "study/studySource.h"

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

// Removes every output's temporary file, replacing nothing, and gives back
// `status`.
int dropOutputs(OutputFile* files, int status) {
    std::string ignored;  // nothing is replaced: no rename can fail
    finishOutputFiles(files, kStudyOutputCount, false, &ignored);
    return status;
}

// Why a part of the study could not go on: out of memory, or a thread it
// needs could not start.
struct Trouble {
    const char* what = nullptr;  // nullptr: none
    int error = 0;               // the system's reason, where there is one
};

// Does `work`, and says what stopped it, if anything did: the exceptions end
// here, at the part that started the work.
template <typename Work>
Trouble troubleOf(Work work) {
    try {
        work();
    } catch (const std::bad_alloc&) {
        return Trouble{"out of memory", 0};
    } catch (const std::system_error& failure) {  // a thread, a lock: what the system could not give
        return Trouble{"the system refused", failure.code().value()};
    }
    return Trouble{};
}

void sayTrouble(const std::string& part, const Trouble& trouble) {
    std::string name = escapedText(part.c_str());
    if (trouble.error != 0) {
        std::fprintf(stderr, "gridcmp-study: %s: %s: %s\n", name.c_str(), trouble.what, std::strerror(trouble.error));
    } else {
        std::fprintf(stderr, "gridcmp-study: %s: %s\n", name.c_str(), trouble.what);
    }
}

void sayError(const std::string& error) { std::fprintf(stderr, "gridcmp-study: %s\n", error.c_str()); }

// Writes output `k`, an output of rows: its header, then every run's rows in
// run order; and closes it. It is whole only with every run's rows. Says
// why when it is not.
bool writeRowsOutput(OutputFile& file, int k, std::vector<RunRows>& rowsOfRuns, const std::vector<RunSummary>& runs,
                     const StudyOptions& options) {
    kStudyOutputs[k].writeHeader(file.out, options);
    std::string error;
    for (RunRows& rows : rowsOfRuns) {
        if (!rows.sinks[k]) continue;
        std::string copyError;
        if (!copyRunRows(rows.sinks[k], file.out, &copyError) && error.empty()) {
            error = cannotWriteOutput(file, copyError);
        }
        rows.sinks[k] = nullptr;
    }
    for (const RunSummary& run : runs) {
        if (error.empty() && !run.rowsLost.empty()) error = cannotWriteOutput(file, run.rowsLost);
    }
    std::string closeError;
    if (!closeOutputFile(file, &closeError) && error.empty()) error = closeError;
    if (!error.empty()) sayError(error);
    return error.empty();
}

int study(int argc, char** argv, OutputFile* files, const ClosedStandardStreams& closed) {
    StudyOptions options;
    std::string error;
    switch (parseStudyOptions(argc, argv, options, &error)) {
        case StudyCommand::help: std::fputs(studyUsage(), stdout); return 0;
        case StudyCommand::version:
            std::printf("gridcmp-study %s\ncompressed logs: %s\n", GRIDCMP_VERSION, readableCompressions());
            return 0;
        case StudyCommand::usageError: return usageError(error);
        case StudyCommand::compare: break;
    }
    const int runCount = static_cast<int>(options.quantized.size());
    if (!checkStudyInputs(options, closed.input, &error)) return usageError(error);
    for (int k = 0; k < kStudyOutputCount; ++k) {
        const std::string& destination = options.*kStudyOutputs[k].destination;
        if (!destination.empty() && !openOutputFile(files[k], kStudyOutputs[k].name, destination, &error)) {
            return dropOutputs(files, usageError(error));
        }
    }

    std::vector<RunSummary> runs(runCount);
    std::vector<RunRows> rowsOfRuns(runCount);
    std::vector<Trouble> troubles(runCount);
    // The original is read and converted once, on a thread of its own, for
    // every run; the runs go side by side, as many working at a time as -j
    // allows (each waits, without its slot, for what it needs from another).
    // One run on one core reads it itself: handing lines over would only
    // cost.
    int jobs = options.jobs > 0 ? options.jobs : usableProcessors();
    CpuSlots slots(jobs);
    CpuSlots* decompression = jobs > 1 ? &slots : nullptr;  // on threads of their own where cores allow
    const std::string originalName = logName(options.original);  // outlives the feed, which names it
    std::unique_ptr<StudySource> originalSource;
    std::unique_ptr<LineFeed> original;
    if (runCount > 1 || jobs > 1) {
        Trouble trouble = troubleOf([&] {
            originalSource = openStudySource(options.original.c_str(), decompression);
            original = startLineFeed(originalSource->bytes(), originalName.c_str(), kStudyLimits, runCount, &slots);
        });
        if (!trouble.what && !original) {
            trouble = errno == ENOMEM ? Trouble{"out of memory", 0} : Trouble{"cannot start a thread", errno};
        }
        if (trouble.what) {
            originalSource.reset();
            sayTrouble(originalName, trouble);
            return dropOutputs(files, 2);
        }
    }
    bool started = runAllAtOnce(runCount, [&](int i) {
        SlotHeld held(&slots);
        RunRows& rows = rowsOfRuns[i];
        std::string rowsError;
        troubles[i] = troubleOf([&] {
            for (int k = 0; k < kStudyOutputCount; ++k) {
                if (!files[k].out || !kStudyOutputs[k].writeHeader || !rowsError.empty()) continue;
                openRunRows(&rows.sinks[k], &rowsError);
            }
            // Where every run can have two cores of its own beside the
            // original's (not on two cores: three threads there take longer
            // than two), the quantized logs are converted on threads of their
            // own too.
            runs[i] = compareRun(options, i, rows, original ? &original->reader(i) : nullptr, decompression,
                                 jobs > 2 * runCount);
            for (std::FILE* sink : rows.sinks) {
                std::string flushError;
                if (sink && !flushRunRows(sink, &flushError) && rowsError.empty()) rowsError = flushError;
            }
            runs[i].rowsLost = rowsError;
        });
        if (original) original->leave(i);
    });
    // Every run has stopped reading the original: a writer that keeps its
    // pipe open is not waited for.
    if (original) stopReading(*originalSource);
    original.reset();  // its thread reads the source
    originalSource.reset();
    if (!started) {
        std::fprintf(stderr, "gridcmp-study: cannot start a thread for each of the %d runs: give fewer at a time\n",
                     runCount);
        return dropOutputs(files, 2);
    }
    bool troubled = false;
    for (int i = 0; i < runCount; ++i) {
        if (!troubles[i].what) continue;
        sayTrouble(options.names[i], troubles[i]);
        troubled = true;
    }
    if (troubled) return dropOutputs(files, 2);

    bool written = true;
    bool outputOnStandardOutput = false;
    bool writtenAtEndOnStandardOutput = false;
    for (int k = 0; k < kStudyOutputCount; ++k) {
        outputOnStandardOutput = outputOnStandardOutput || files[k].toStandardOutput;
        if (kStudyOutputs[k].writeAtEnd && files[k].toStandardOutput) writtenAtEndOnStandardOutput = true;
        if (files[k].out && kStudyOutputs[k].writeHeader) {
            written = writeRowsOutput(files[k], k, rowsOfRuns, runs, options) && written;
        }
    }
    StudyVerdict verdict = judgeStudy(runs, options);
    writeSummary(outputOnStandardOutput ? stderr : stdout, runs, verdict, options);
    int status = written ? verdict.exitStatus : 2;
    // A summary on standard error that could not be written is a study not
    // done whole, though no message can say so.
    if (outputOnStandardOutput && (std::fflush(stderr) != 0 || std::ferror(stderr))) status = 2;
    if (!options.quiet) writeDiagnostics(stderr, verdict);
    // Standard output failed: said once, by the output on it if that has
    // said so already, and with the reason of the write that failed (a
    // failure that left only the stream's error flag has none).
    auto standardOutputFailed = [&] {
        errno = 0;
        if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return false;
        int reason = errno != 0 ? errno : EIO;
        for (int k = 0; k < kStudyOutputCount; ++k) {
            if (files[k].toStandardOutput && files[k].broken) return true;
        }
        if (closed.output) {
            std::fputs("gridcmp-study: cannot write to standard output: it is closed\n", stderr);
        } else {
            std::fprintf(stderr, "gridcmp-study: cannot write to standard output: %s\n", std::strerror(reason));
        }
        return true;
    };
    // What is written at the end (the JSON summary) says the exit status:
    // whatever else could fail is known before (but for that output itself
    // on standard output).
    if (!writtenAtEndOnStandardOutput && standardOutputFailed()) status = 2;
    for (int k = 0; k < kStudyOutputCount; ++k) {
        if (!files[k].out || !kStudyOutputs[k].writeAtEnd) continue;
        kStudyOutputs[k].writeAtEnd(files[k].out, StudyEnd{runs, verdict, options, status, GRIDCMP_VERSION});
        if (!closeOutputFile(files[k], &error)) {
            sayError(error);
            status = 2;
        }
    }
    if (writtenAtEndOnStandardOutput && standardOutputFailed()) status = 2;

    // Only now, the summary written, are earlier outputs replaced; none when
    // the study fails to be done whole (exit status 2), and none when one of
    // them cannot be.
    if (!finishOutputFiles(files, kStudyOutputCount, status != 2, &error)) {
        sayError(error);
        status = 2;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // A pipe without a reader is an output that cannot be written: a message
    // and exit status 2, not a death by signal with nothing said.
    std::signal(SIGPIPE, SIG_IGN);
    // Running out of memory is then a message and exit status 2 wherever it
    // happens, not an abort for want of memory to throw std::bad_alloc in.
    if (!holdMemoryReserve()) {
        std::fputs("gridcmp-study: out of memory\n", stderr);
        return 2;
    }
    // Before anything is opened: no output may take a closed standard
    // descriptor.
    ClosedStandardStreams closed;
    std::string error;
    if (!holdClosedStandardStreams(&closed, &error)) {
        sayError(error);
        return 2;
    }
    // Static: the signal handler finds their temporary files through them
    // until the end.
    static OutputFile files[kStudyOutputCount];
    int status = 2;
    Trouble trouble = troubleOf([&] { status = study(argc, argv, files, closed); });
    if (!trouble.what) return status;
    std::fprintf(stderr, "gridcmp-study: %s\n", trouble.what);
    return dropOutputs(files, 2);
}
