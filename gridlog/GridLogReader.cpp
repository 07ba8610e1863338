#include "gridlog/GridLogReader.h"

#include <cstdint>
#include <cstring>

#include "gridlog/cellValue.h"
#include "platform/fastPaths.h"

static_assert(kLineReadAhead >= kCellValueReadAhead, "cell conversions read past the line too");

namespace {

char emptyLine[1 + kLineReadAhead] = {};

void setEmptyLine(GridLogReader& reader) {
    reader.line = emptyLine;
    reader.lineLength = 0;
}

void setFault(GridLogReader& reader, LogFault fault, long long line) {
    reader.fault = fault;
    reader.faultLine = line;
    setEmptyLine(reader);
}

// Whether the current line contains the three characters of `text`. Every
// line of the original log is searched for "---", so this looks at sixteen
// positions at a time: the line's bytes, the bytes one after and two after.
bool contains(const GridLogReader& reader, const char (&text)[4]) {
    const char* line = reader.line;
    std::size_t length = reader.lineLength;
    std::size_t i = 0;
#if GRIDCMP_USE_SSE2
    const __m128i first = _mm_set1_epi8(text[0]);
    const __m128i second = _mm_set1_epi8(text[1]);
    const __m128i third = _mm_set1_epi8(text[2]);
    for (; i + 18 <= length; i += 16) {
        __m128i at0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        __m128i at1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i + 1));
        __m128i at2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i + 2));
        __m128i found = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(at0, first), _mm_cmpeq_epi8(at1, second)),
                                      _mm_cmpeq_epi8(at2, third));
        if (_mm_movemask_epi8(found)) return true;
    }
#endif
    for (; i + 3 <= length; ++i) {
        if (line[i] == text[0] && line[i + 1] == text[1] && line[i + 2] == text[2]) return true;
    }
    return false;
}

// Makes bytes [start, end) of the buffer the current line and NUL-terminates it.
void deliverLine(GridLogReader& reader, std::size_t start, std::size_t end) {
    reader.buffer[end] = '\0';
    reader.line = reader.buffer + start;
    const void* nul = std::memchr(reader.line, '\0', end - start);
    reader.lineLength = nul ? static_cast<const char*>(nul) - reader.line : end - start;
    ++reader.lineNumber;
}

// Moves the undelivered bytes to the front of the buffer and reads more after
// them. Sets streamDrained when the stream has no more to give, at its end or
// because it broke (streamBroken).
void refill(GridLogReader& reader) {
    std::size_t pending = reader.bufferEnd - reader.bufferStart;
    std::memmove(reader.buffer, reader.buffer + reader.bufferStart, pending);
    reader.bufferStart = 0;
    reader.bufferEnd = pending;
    std::size_t got = std::fread(reader.buffer + pending, 1, kReadChunkBytes - pending, reader.stream);
    reader.bufferEnd += got;
    if (got > 0) reader.anythingRead = true;
    if (got == kReadChunkBytes - pending) return;
    reader.streamDrained = true;
    reader.streamBroken = std::ferror(reader.stream) != 0;
}

// Positions of the tokens of the current line: blank-separated, no empty ones.
const char* skipBlanks(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
}

const char* skipToken(const char* p, const char* end) {
    while (p < end && *p != ' ') ++p;
    return p;
}

// Writes the offsets of the first `capacity` tokens of the line to `starts`
// and returns how many there are, up to `capacity`.
#if GRIDCMP_USE_WORDS
// Looks at 64 bytes at a time; bytes past `length` (up to kLineReadAhead - 1)
// are read and taken as blanks.
int findTokenStarts(const char* line, std::size_t length, std::uint16_t* starts, int capacity) {
    int count = 0;
    std::uint64_t carry = 0;  // the last byte of the previous 64 was not a blank
    for (std::size_t base = 0; base < length; base += 64) {
        std::uint64_t blanks = 0;
#if GRIDCMP_USE_SSE2
        const __m128i blank = _mm_set1_epi8(' ');
        for (int part = 0; part < 4; ++part) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + base + 16 * part));
            blanks |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blank))))
                      << (16 * part);
        }
#else
        for (int i = 0; i < 64; ++i) blanks |= static_cast<std::uint64_t>(line[base + i] == ' ') << i;
#endif
        std::size_t inLine = length - base;
        std::uint64_t valid = inLine >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inLine) - 1;
        std::uint64_t text = ~blanks & valid;
        std::uint64_t tokenStarts = text & ~((text << 1) | carry);
        carry = text >> 63;
        while (tokenStarts) {
            starts[count++] = static_cast<std::uint16_t>(base + lowestSetBit(tokenStarts));
            if (count == capacity) return count;
            tokenStarts &= tokenStarts - 1;
        }
    }
    return count;
}
#else
int findTokenStarts(const char* line, std::size_t length, std::uint16_t* starts, int capacity) {
    const char* end = line + length;
    int count = 0;
    for (const char* token = skipBlanks(line, end); token < end && count < capacity;
         token = skipBlanks(skipToken(token, end), end)) {
        starts[count++] = static_cast<std::uint16_t>(token - line);
    }
    return count;
}
#endif

}  // namespace

void openLog(GridLogReader& reader, const char* path) {
    attachLog(reader, std::fopen(path, "rb"), path);
}

void attachLog(GridLogReader& reader, std::FILE* stream, const char* name) {
    reader.stream = stream;
    reader.name = name;
    reader.failed = stream == nullptr;
    // Our own buffer is the only one; stdio's would just copy every byte again.
    if (stream) std::setvbuf(stream, nullptr, _IONBF, 0);
    setEmptyLine(reader);
}

void readLine(GridLogReader& reader) {
    setEmptyLine(reader);
    while (!reader.failed && !reader.ended && !hasFault(reader)) {
        char* start = reader.buffer + reader.bufferStart;
        std::size_t available = reader.bufferEnd - reader.bufferStart;
        std::size_t searched = available < kLineCapacity ? available : kLineCapacity;
        const void* newline = std::memchr(start, '\n', searched);
        if (newline) {
            std::size_t end = static_cast<const char*>(newline) - reader.buffer;
            deliverLine(reader, reader.bufferStart, end);
            reader.bufferStart = end + 1;
            return;
        }
        if (available >= kLineCapacity) {
            setFault(reader, LogFault::lineTooLong, reader.lineNumber + 1);
            return;
        }
        if (reader.streamDrained && reader.streamBroken) {
            // Every line read before the break has been delivered. A stream that
            // gave nothing at all (a directory, say) is one that could not be
            // opened; one that breaks part way through is reported.
            if (reader.anythingRead) {
                setFault(reader, LogFault::readError, reader.lineNumber + 1);
            } else {
                reader.failed = true;
            }
            return;
        }
        if (reader.streamDrained) {
            if (available == 0) {
                reader.ended = true;
                return;
            }
            deliverLine(reader, reader.bufferStart, reader.bufferEnd);  // last line, no newline
            reader.bufferStart = reader.bufferEnd;
            return;
        }
        refill(reader);
    }
}

bool atEnd(const GridLogReader& reader) { return reader.ended; }

void readStartLine(GridLogReader& reader) {
    readLine(reader);
    if (hasFault(reader)) return;
    if (reader.lineLength == 0 || (reader.lineLength == 1 && reader.line[0] == ' ')) readLine(reader);
}

bool isStartTimeLine(const GridLogReader& reader) {
    return contains(reader, "---") || contains(reader, "ine");
}

void takeTimeLabel(GridLogReader& reader) {
    if (hasFault(reader)) return;
    const char* end = reader.line + reader.lineLength;
    const char* token = skipBlanks(reader.line, end);
    for (int skipped = 0; skipped < 5 && token < end; ++skipped) {
        token = skipBlanks(skipToken(token, end), end);
    }
    if (token == end) {
        setFault(reader, LogFault::timeLineWithoutLabel, reader.lineNumber);
        return;
    }
    std::size_t length = skipToken(token, end) - token;
    std::memcpy(reader.timeLabel, token, length);
    reader.timeLabel[length] = '\0';
    for (int i = 0; i < 3 && !hasFault(reader); ++i) readLine(reader);
}

void advanceToNextBlock(GridLogReader& reader) {
    do {
        readLine(reader);
        if (hasFault(reader) || reader.failed) return;
    } while (!reader.ended && !contains(reader, "ine"));
    if (!reader.ended) takeTimeLabel(reader);
}

void parseRow(GridLogReader& reader, RowValues& row) {
    // Where every token starts is found first, in one pass over the line; the
    // conversions then do not wait on each other, and run side by side.
    constexpr int kMostTokens = kMaxRowValues + 2;  // a row label, the values, one too many
    std::uint16_t starts[kMostTokens];
    int tokens = findTokenStarts(reader.line, reader.lineLength, starts, kMostTokens);
    int first = reader.hasTimeLines ? 1 : 0;
    row.count = tokens > first ? tokens - first : 0;
    if (row.count > kMaxRowValues) {
        row.count = 0;
        setFault(reader, LogFault::rowTooWide, reader.lineNumber);
        return;
    }
    for (int i = 0; i < row.count; ++i) row.values[i] = cellValue(reader.line + starts[first + i]);
}

bool isBlockTerminator(const GridLogReader& reader) {
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || contains(reader, "---");
}
