// A log as gridcmp-study reads it: a file, a pipe or standard input,
// decompressed on the way when its first bytes say it is gzip or zstd
// (whatever its name), and then read on a thread of its own where cores
// allow.
#pragma once

#include <cstdio>
#include <memory>

#include "gridlog/ByteSource.h"
#include "gridlog/compressedSource.h"
#include "study/cpuSlots.h"
#include "study/stoppableSource.h"

namespace gridcmp {

struct StudySource {
    ByteSource& bytes() { return *outer; }

    const CompressionFormat* compression = nullptr;  // nullptr: read as it is
    std::FILE* stream = nullptr;
    std::unique_ptr<ByteSource> file;          // the file's own bytes ...
    StoppableSource* stoppable = nullptr;      // ... the same, where the file was opened
    std::unique_ptr<ByteSource> withPrefix;    // ... with the bytes looked at first given back
    std::unique_ptr<ByteSource> decompressed;  // ... decompressed
    std::unique_ptr<ByteSource> threaded;      // ... on a thread of its own
    ByteSource* outer = nullptr;

    StudySource() = default;
    StudySource(const StudySource&) = delete;
    StudySource& operator=(const StudySource&) = delete;
    ~StudySource();  // stops reading it first (stopReading)
};

// Opens `path` ("-": standard input, read on from where it stands). A file
// that cannot be opened, or is compressed in a way this build cannot read,
// gives a source that fails at once, saying why. With `slots`,
// decompression runs on a thread of its own that holds one of them while it
// works (where a thread cannot be started, on the reader's).
std::unique_ptr<StudySource> openStudySource(const char* path, CpuSlots* slots);

// From any thread: wakes a read of `source` that waits for a pipe's writer,
// and fails it and every later one. Called before the threads that read it
// are joined, once no one will read on (every run of the study has stopped).
void stopReading(StudySource& source);

// The compressed formats this build reads, in the table's order, for
// --version: "gzip, zstd", "gzip", "zstd" or "none".
const char* readableCompressions();

}  // namespace gridcmp
