// Where a reader's lines come from: the file and the fixed buffer they are
// cut from. Only the reader's own functions (GridLogReader.cpp) touch it.
#pragma once

#include <cstddef>
#include <cstdio>

namespace gridcmp {

// The longest line the program accepts is kLineCapacity - 1 characters: room
// for 400 values written at full precision, and for far more.
constexpr int kLineCapacity = 1 << 20;
// Bytes fetched from the file per read: small enough to stay in cache.
constexpr int kReadChunkBytes = 1 << 18;
// Rows are split 64 bytes at a time, and cells read ahead too: a line is
// followed by this many readable bytes.
constexpr int kLineReadAhead = 64;

struct LogInput {
    std::FILE* stream = nullptr;
    bool ownsStream = false;     // opened by openLog, so closed by closeLog
    // Bytes [start, end) of `bytes` are read but not yet delivered.
    std::size_t start = 0;
    std::size_t end = 0;
    bool drained = false;        // the stream has nothing more to give
    bool broken = false;         // ... because reading it failed
    bool anythingRead = false;
    // A whole line and one read after it; +1 for the NUL after a last line,
    // then what the row split reads ahead. Left uninitialized: only the bytes
    // read are ever looked at, so a large buffer costs no memory until used.
    char bytes[kLineCapacity + kReadChunkBytes + 1 + kLineReadAhead];
};

}  // namespace gridcmp
