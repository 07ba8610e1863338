// A grid log's bytes from an open stdio stream: a file, a pipe, a device.
#pragma once

#include <cstdio>

#include "gridlog/ByteSource.h"

namespace gridcmp {

struct FileSource : ByteSource {
    // Reads `stream` (not owned) through its descriptor, past stdio's buffer:
    // the reader's own buffer is the only one. A pipe gives what has come so
    // far, never waiting for a whole chunk, so that lines are read as they
    // are written.
    explicit FileSource(std::FILE* stream);
    std::size_t read(char* buffer, std::size_t capacity) override;

    std::FILE* stream;
};

}  // namespace gridcmp
