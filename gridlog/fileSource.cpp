#include "gridlog/fileSource.h"

#include <cerrno>
#include <cstring>

namespace gridcmp {

void setSourceFailure(ByteSource& source, int systemError, const char* reason) {
    source.systemError = systemError;
    std::snprintf(source.failure, sizeof source.failure, "%s", reason && *reason ? reason : "unknown error");
}

FileSource::FileSource(std::FILE* openStream) : stream(openStream) { std::setvbuf(stream, nullptr, _IONBF, 0); }

std::size_t FileSource::read(char* buffer, std::size_t capacity) {
    if (failed()) return 0;
    errno = 0;
    std::size_t got = std::fread(buffer, 1, capacity, stream);
    if (got < capacity && std::ferror(stream)) {
        int error = errno;
        setSourceFailure(*this, error, error ? std::strerror(error) : "read error");
        return got;  // what came before the failure is delivered; the next read says it
    }
    return got;
}

}  // namespace gridcmp
