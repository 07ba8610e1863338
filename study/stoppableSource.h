// A log's bytes from an open descriptor, read as they come (a pipe gives what
// its writer has written, not a full chunk), where a read that waits on a
// pipe can be stopped from another thread: a study whose runs have all
// stopped need not wait for a writer that keeps its pipe open.
#pragma once

#include <atomic>

#include "gridlog/ByteSource.h"

namespace gridcmp {

struct StoppableSource : ByteSource {
    ~StoppableSource() override;
    std::size_t read(char* buffer, std::size_t capacity) override;

    int descriptor = -1;            // not owned
    bool canWait = false;           // not a regular file: a read may wait as long as the writer likes
    int wakeUp[2] = {-1, -1};       // a pipe written to by stopSource, for a read that waits
    std::atomic<bool> stopped{false};
};

// Reads `descriptor` (which the caller keeps open while the source is read).
// A source that cannot be made stoppable (no descriptors left for its
// wake-up pipe) fails at its first read, saying why.
void openStoppableSource(StoppableSource& source, int descriptor);

// From any thread: wakes a read of `source` waiting for bytes, and fails it
// and every later one. For a source that no one will read on.
void stopSource(StoppableSource& source);

}  // namespace gridcmp
