// Where the bytes of a grid log come from: a file or a pipe, a compressed
// stream, bytes in memory, another thread. The reader takes them through this
// one small interface and never knows which.
#pragma once

#include <cstddef>

namespace gridcmp {

struct ByteSource {
    virtual ~ByteSource() = default;

    // Reads up to `capacity` bytes into `buffer` and returns how many: 0 only
    // at the end of the bytes or on a failure (failed() tells which). After
    // either, every later call returns 0.
    virtual std::size_t read(char* buffer, std::size_t capacity) = 0;

    // Whether reading failed, and why: the system's errno (0 when it has
    // none) and a reason in words (the compression library's, or strerror).
    bool failed() const { return failure[0] != '\0'; }
    int systemError = 0;
    char failure[160] = {};
};

// Notes a failure of `source`: errno, or 0, and the reason in words.
void setSourceFailure(ByteSource& source, int systemError, const char* reason);

}  // namespace gridcmp
