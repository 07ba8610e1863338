// The study table's rows, gathered while runs go on side by side: each run
// writes its rows to a temporary file of its own; when it ends, they move to
// one spool shared by all runs, and the table is written from the spool in
// run order. Every temporary file is unlinked as soon as it is made, so that
// no way out of the program (an error, Ctrl-C, kill, a closed pipe) leaves
// one behind; memory stays the same whatever the tables' size, and no more
// files are open than runs going on, and two.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace gridcmp {

struct RowSpool {
    std::FILE* spool = nullptr;
    std::mutex guard;  // the spool and the segments
    struct Segment {
        long long start = -1;  // -1: the run's rows never came
        long long length = 0;
    };
    std::vector<Segment> segments;  // one per run
};

// Makes the spool, in $TMPDIR (or /tmp), for `runs` runs. On failure, `error`
// says why.
bool openRowSpool(RowSpool& spool, int runs, std::string& error);

// A temporary file for one run's rows, already unlinked; nullptr on failure,
// with errno kept.
std::FILE* openRunRows();

// Moves one run's rows into the spool and closes `rows`. Returns 0, or the
// errno of the call that failed.
int spoolRunRows(RowSpool& spool, int run, std::FILE* rows);

// Writes every run's rows to `table`, in run order, and closes the spool.
// Returns 0, or the errno of the call that failed.
int writeSpooledRows(RowSpool& spool, std::FILE* table);

}  // namespace gridcmp
