// Where a reader's lines come from: its bytes and the buffer lines are cut
// from, or lines read and converted elsewhere. Only the reader's own
// functions (GridLogReader.cpp) touch it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "gridlog/ByteSource.h"
#include "gridlog/LineSupply.h"
#include "gridlog/RowValues.h"
#include "gridlog/tokenStarts.h"

namespace gridcmp {

// gridcmp's longest line is kLineCapacity - 1 characters: room for 400 values
// written at full precision, and for far more.
constexpr std::size_t kLineCapacity = 1 << 20;
// Bytes fetched from the source per read: small enough to stay in cache.
constexpr std::size_t kReadChunkBytes = 1 << 18;
// Rows are split 64 bytes at a time, and cells read ahead too: a line is
// followed by this many readable bytes.
constexpr int kLineReadAhead = 64;

struct LogInput {
    ByteSource* source = nullptr;        // where the bytes come from, or
    LineSupply* supply = nullptr;        // ... where the lines do
    std::unique_ptr<ByteSource> ownSource;  // a file openLog or attachLog opened
    std::FILE* ownStream = nullptr;      // ... its stream, closed by closeLog
    // Bytes [start, end) of `bytes` are read but not yet delivered.
    std::size_t start = 0;
    std::size_t end = 0;
    bool drained = false;        // the source has nothing more to give
    bool broken = false;         // ... because reading it failed
    bool anythingRead = false;
    // A whole line and one read after it; +1 for the NUL after a last line,
    // then what the row split reads ahead. Allocated, not cleared, when the
    // log is opened: only the bytes read are ever looked at, so a large
    // buffer costs no memory until used.
    std::unique_ptr<char[]> bytes;
    std::size_t labelCapacity = 0;       // of the reader's time label buffer; 0: none yet
    // Where the tokens of a row start, for splitting it: room for gridcmp's
    // rows, more where the reader's limits take more.
    std::unique_ptr<std::uint32_t[]> tokenStarts{new std::uint32_t[kMaxRowValues + 2 + kTokenStartsSlack]};
    // The values of the current line, and what it is, when a supply gave them.
    const double* suppliedValues = nullptr;
    int suppliedValueCount = 0;
    bool suppliedTerminator = true;
    bool suppliedTimeLine = false;
};

}  // namespace gridcmp
