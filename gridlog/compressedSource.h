// A compressed grid log, decompressed as it is read: gzip through zlib, zstd
// through libzstd, each where the build has the library. A stream that is
// cut short or corrupt is a failure with the library's reason, never a clean
// end.
//
// The formats are one table: a new one is an entry and the source that reads
// it; detection, --version's list and the messages all go through the table.
#pragma once

#include <cstddef>
#include <memory>

#include "gridlog/ByteSource.h"

namespace gridcmp {

// The most first bytes that any format's magic number takes.
constexpr std::size_t kLongestMagic = 8;

// A way a format's streams start: `length` bytes that equal `bytes` in the
// bits that `mask` has set (the first byte of a zstd skippable frame is any
// of 0x50 to 0x5f).
struct MagicBytes {
    unsigned char bytes[kLongestMagic];
    unsigned char mask[kLongestMagic];
    std::size_t length;  // 0: no such way
};

using OpenDecompressing = std::unique_ptr<ByteSource> (*)(ByteSource& compressed);

struct CompressionFormat {
    const char* name;       // "gzip", as messages and --version say it
    MagicBytes magic[2];    // every way its streams may start
    bool readable;          // whether this build has its library
    OpenDecompressing open; // a source giving the decompressed bytes of `compressed` (which it
                            // reads, and which must outlive it); nullptr where not readable
};

// The formats this program knows, readable in this build or not, in the
// order --version lists them; returns how many, the table at `*formats`.
int compressionFormats(const CompressionFormat** formats);

// The format whose magic number the first `size` bytes are, nullptr for none
// (a log to read as it is).
const CompressionFormat* compressionOf(const unsigned char* first, std::size_t size);

}  // namespace gridcmp
