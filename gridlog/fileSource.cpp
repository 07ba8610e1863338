#include "gridlog/fileSource.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace gridcmp {

void setSourceFailure(ByteSource& source, int systemError, const char* reason) {
    source.systemError = systemError;
    std::snprintf(source.failure, sizeof source.failure, "%s", reason && *reason ? reason : "unknown error");
}

FileSource::FileSource(std::FILE* openStream) : stream(openStream) {}

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
    if (failed()) return 0;
    int descriptor = fileno(stream);
    for (;;) {
        ssize_t got = ::read(descriptor, buffer, capacity);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        int error = errno;
        setSourceFailure(*this, error, std::strerror(error));
        return 0;
    }
}

}  // namespace gridcmp
