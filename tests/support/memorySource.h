// A grid log's bytes from memory: for tests and the fuzz target, and to try
// a source that breaks part way.
#pragma once

#include <cstddef>

#include "gridlog/ByteSource.h"

namespace gridcmp {

struct MemorySource : ByteSource {
    // The `size` bytes at `bytes` (not copied: they must outlive the
    // source), given at most `chunk` at a time. With `breakAfter` set, the
    // source fails (EIO) once that many bytes have been read.
    MemorySource(const char* bytes, std::size_t size, std::size_t chunk = 1 << 16,
                 std::size_t breakAfter = static_cast<std::size_t>(-1));
    std::size_t read(char* buffer, std::size_t capacity) override;

    const char* bytes;
    std::size_t size;
    std::size_t chunk;
    std::size_t breakAfter;
    std::size_t position = 0;
};

}  // namespace gridcmp
