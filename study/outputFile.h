// The study's output files (the table, the cells, the JSON summary). One
// named FILE is written beside it under a temporary name and renamed into
// place only once it is whole, so that a study that fails or is interrupted
// leaves no partial file (and an earlier one stays as it was); the temporary
// file is removed on every way out, signals that end the process included. A
// destination that is not a regular file (a device, a pipe) is written
// directly, and "-" is standard output.
#pragma once

#include <cstdio>
#include <string>

namespace gridcmp {

struct OutputFile {
    std::string destination;  // as given
    std::string target;       // where it is renamed to: the destination, a symbolic link followed
    std::FILE* out = nullptr;
    bool toStandardOutput = false;  // "-"
    int pending = -1;         // its slot among the temporary files; -1: written directly
};

// Opens the output for writing. On failure, `error` says why.
bool openOutputFile(OutputFile& output, const std::string& destination, std::string& error);

// Closes the output; when `whole`, renames it into place. Returns 0, or the
// errno of the call that failed (the temporary file is then removed).
int finishOutputFile(OutputFile& output, bool whole);

}  // namespace gridcmp
