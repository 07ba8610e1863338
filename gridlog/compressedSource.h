// A compressed grid log, decompressed as it is read: gzip through zlib, zstd
// through libzstd, each where the build has the library. A stream that is
// cut short or corrupt is a failure with the library's reason, never a clean
// end.
#pragma once

#include <memory>

#include "gridlog/ByteSource.h"

namespace gridcmp {

enum class Compression { none, gzip, zstd };

// The compression whose magic number the first bytes are: gzip 1f 8b, zstd
// 28 b5 2f fd.
Compression compressionOf(const unsigned char* first, std::size_t size);

// Whether this build can read it.
bool canDecompress(Compression compression);

// "gzip", "zstd".
const char* compressionName(Compression compression);

// A source that gives the decompressed bytes of `compressed` (which it reads,
// and which must outlive it); nullptr when the build cannot decompress it.
std::unique_ptr<ByteSource> decompressingSource(Compression compression, ByteSource& compressed);

}  // namespace gridcmp
