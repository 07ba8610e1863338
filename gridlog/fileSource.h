// A grid log's bytes from an open stdio stream: a file, a pipe, a device.
#pragma once

#include <cstdio>

#include "gridlog/ByteSource.h"

namespace gridcmp {

struct FileSource : ByteSource {
    // Takes `stream` (not owned) unbuffered: the reader's own buffer is the
    // only one, and stdio's would copy every byte again.
    explicit FileSource(std::FILE* stream);
    std::size_t read(char* buffer, std::size_t capacity) override;

    std::FILE* stream;
};

}  // namespace gridcmp
