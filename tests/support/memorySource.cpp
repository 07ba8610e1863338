#include "tests/support/memorySource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace gridcmp {

MemorySource::MemorySource(const char* data, std::size_t length, std::size_t chunkBytes, std::size_t breakAt)
    : bytes(data), size(length), chunk(chunkBytes), breakAfter(breakAt) {}

std::size_t MemorySource::read(char* buffer, std::size_t capacity) {
    if (failed()) return 0;
    if (position >= breakAfter && position < size) {
        setSourceFailure(*this, EIO, std::strerror(EIO));
        return 0;
    }
    std::size_t limit = std::min(size, breakAfter);
    std::size_t count = std::min({capacity, chunk, limit - std::min(limit, position)});
    std::memcpy(buffer, bytes + position, count);
    position += count;
    return count;
}

}  // namespace gridcmp
