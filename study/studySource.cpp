#include "study/studySource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "study/threadedSource.h"

namespace gridcmp {

namespace {

// A source that has failed before giving anything.
struct FailedSource : ByteSource {
    FailedSource(int error, const char* reason) { setSourceFailure(*this, error, reason); }
    std::size_t read(char*, std::size_t) override { return 0; }
};

// The bytes already read to see what a log is, then the rest.
struct PrefixedSource : ByteSource {
    PrefixedSource(const unsigned char* first, std::size_t count, ByteSource& rest) : size(count), inner(rest) {
        std::memcpy(prefix, first, count);
    }
    std::size_t read(char* buffer, std::size_t capacity) override {
        if (given < size) {
            std::size_t count = std::min(capacity, size - given);
            std::memcpy(buffer, prefix + given, count);
            given += count;
            return count;
        }
        std::size_t got = inner.read(buffer, capacity);
        if (got == 0 && inner.failed()) setSourceFailure(*this, inner.systemError, inner.failure);
        return got;
    }
    unsigned char prefix[kLongestMagic];
    std::size_t size;
    std::size_t given = 0;
    ByteSource& inner;
};

}  // namespace

void stopReading(StudySource& source) {
    if (source.stoppable) stopSource(*source.stoppable);
}

StudySource::~StudySource() {
    stopReading(*this);
    threaded.reset();  // its thread reads what is below it
    decompressed.reset();
    withPrefix.reset();
    file.reset();
    if (stream) std::fclose(stream);
}

std::unique_ptr<StudySource> openStudySource(const char* path, CpuSlots* slots) {
    std::unique_ptr<StudySource> source(new StudySource);
    errno = 0;
    if (std::strcmp(path, "-") == 0) {
        // Standard input, through a descriptor of its own that closing the
        // source may close (it reads on from where descriptor 0 stands).
        int descriptor = fcntl(0, F_DUPFD_CLOEXEC, 3);
        if (descriptor >= 0) {
            source->stream = fdopen(descriptor, "rb");
            if (!source->stream) {
                int error = errno;
                close(descriptor);
                errno = error;
            }
        }
    } else {
        source->stream = std::fopen(path, "rb");
    }
    if (!source->stream) {
        int error = errno;
        source->file.reset(new FailedSource(error, std::strerror(error)));
        source->outer = source->file.get();
        return source;
    }
    StoppableSource* file = new StoppableSource;
    source->file.reset(file);
    source->stoppable = file;
    openStoppableSource(*file, fileno(source->stream));
    unsigned char first[kLongestMagic];
    std::size_t looked = 0;
    while (looked < sizeof first) {
        std::size_t got = source->file->read(reinterpret_cast<char*>(first) + looked, sizeof first - looked);
        if (got == 0) break;
        looked += got;
    }
    source->withPrefix.reset(new PrefixedSource(first, looked, *source->file));
    source->outer = source->withPrefix.get();
    source->compression = compressionOf(first, looked);
    if (!source->compression) return source;
    if (!source->compression->readable) {
        char reason[160];
        std::snprintf(reason, sizeof reason, "it is %s-compressed, and this build of gridcmp-study reads no %s",
                      source->compression->name, source->compression->name);
        source->decompressed.reset(new FailedSource(0, reason));
        source->outer = source->decompressed.get();
        return source;
    }
    source->decompressed = source->compression->open(*source->withPrefix);
    source->outer = source->decompressed.get();
    // A thread that cannot be started leaves decompression to the reader's.
    if (slots) source->threaded = startThreadedSource(*source->decompressed, slots);
    if (source->threaded) source->outer = source->threaded.get();
    return source;
}

const char* readableCompressions() {
    static char names[128];  // room for many more names than there are formats
    const CompressionFormat* formats;
    int count = compressionFormats(&formats);
    std::size_t used = 0;
    for (int i = 0; i < count; ++i) {
        if (!formats[i].readable) continue;
        int wrote = std::snprintf(names + used, sizeof names - used, "%s%s", used ? ", " : "", formats[i].name);
        if (wrote < 0 || used + static_cast<std::size_t>(wrote) >= sizeof names) break;
        used += static_cast<std::size_t>(wrote);
    }
    return used ? names : "none";
}

}  // namespace gridcmp
