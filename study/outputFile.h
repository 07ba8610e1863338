// One output file of the study (the table, the cells file, the JSON
// summary), replaced safely.
//
// A named file is written in the folder of the file it replaces, under a
// short hidden temporary name, and renamed over it only once it is whole and
// the study keeps its outputs: otherwise an earlier file stays as it was, and
// no partial file ever stands under the name. The temporary file is removed
// on every way out, signals that end the process included.
//
// What is replaced is what the name leads to: a symbolic link stays, and the
// file it points to is replaced (or made, where the link dangles). The new
// file keeps the mode of the file it replaces, and its owner and group where
// the system allows (root). An existing file without its
// owner's write bit is refused, whoever runs the study (root too).
//
// A destination that is not a regular file (a device, a pipe) is written
// directly, and "-" is standard output.
#pragma once

#include <atomic>
#include <climits>
#include <cstdio>
#include <string>

namespace gridcmp {

struct OutputFile {
    const char* what = "";    // "table", for messages: "cannot write the table ..."
    std::string destination;  // as given; empty: the output was not asked for
    std::string target;       // what is replaced: the destination, its symbolic links followed
    std::FILE* out = nullptr;
    bool toStandardOutput = false;  // "-"
    bool broken = false;            // closing it failed (and said so): it is not whole
    // The temporary file ("" when the output is written directly), in a
    // fixed buffer for the signal handler, and the next one it removes.
    char temporary[PATH_MAX] = {};
    // While the outputs are replaced: a second name of the file replaced,
    // which puts it back should a later rename fail or a signal come ("" when
    // none); whether there was a file to replace; whether the temporary file
    // has been renamed over it (read by the signal handler).
    char kept[PATH_MAX] = {};
    bool replacesFile = false;
    enum class State { writing, renamed, finished };
    std::atomic<State> state{State::writing};
    std::atomic<OutputFile*> nextTemporary{nullptr};
};

// Opens the output `what` ("table") for writing. On failure (a read-only
// file among them, a name longer than its folder allows), `error` says why
// and nothing is left behind.
bool openOutputFile(OutputFile& output, const char* what, const std::string& destination, std::string* error);

// Flushes and closes the output (standard output is only flushed); a file
// that replaces another stays under its temporary name. On failure, `error`
// says why ("cannot write the table out.tsv: ...").
bool closeOutputFile(OutputFile& output, std::string* error);

// Closes the `count` outputs that are still open and, when `replace` and
// every one closed whole, renames each temporary file over its target, in
// order; a rename that fails puts back the files renamed before it (each
// replaced file keeps a second name until every rename is done; a new file
// is removed). Otherwise no output is replaced, and the temporary files are
// removed. On failure, `error` says why.
bool finishOutputFiles(OutputFile* outputs, int count, bool replace, std::string* error);

// "cannot write the table out.tsv: REASON" (or "... to standard output").
std::string cannotWriteOutput(const OutputFile& output, const std::string& reason);

}  // namespace gridcmp
