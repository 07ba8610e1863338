// The study table's file. A table named FILE is written beside it under a
// temporary name and renamed into place only once it is whole, so that a
// study that fails or is interrupted leaves no partial table (and an earlier
// table stays as it was); the temporary file is removed on every way out,
// signals that end the process included. A destination that is not a regular
// file (a device, a pipe) is written directly.
#pragma once

#include <cstdio>
#include <string>

namespace gridcmp {

struct TableFile {
    std::string destination;  // as given
    std::string target;       // where it is renamed to: the destination, a symbolic link followed
    std::FILE* out = nullptr;
    bool toStandardOutput = false;  // "-"
    bool renamed = false;     // written to a temporary name, renamed at the end
};

// Opens the table for writing ("-": standard output). On failure, `error`
// says why.
bool openTableFile(TableFile& table, const std::string& destination, std::string& error);

// Closes the table; when `whole`, renames it into place. Returns 0, or the
// errno of the call that failed (the temporary file is then removed).
int finishTableFile(TableFile& table, bool whole);

}  // namespace gridcmp
