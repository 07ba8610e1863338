#include "gridlog/GridLogReader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gridlog/cellValue.h"
#include "gridlog/tokenStarts.h"
#include "platform/fastPaths.h"

namespace gridcmp {

static_assert(kLineReadAhead >= kCellValueReadAhead, "cell conversions read past the line too");

namespace {

const char emptyLine[1 + kLineReadAhead] = {};

void setEmptyLine(GridLogReader& reader) {
    reader.line = emptyLine;
    reader.lineLength = 0;
}

void stop(GridLogReader& reader, LogState state, long long line) {
    reader.state = state;
    reader.faultLine = line;
    setEmptyLine(reader);
}

// Whether the current line contains the three characters of one of the
// `count` texts. Every line of the original log is searched for "---", and
// every quantized row for "---" and "ine" at once, so this looks at sixteen
// positions at a time: the line's bytes, the bytes one after and two after.
template <int count>
bool containsAny(const GridLogReader& reader, const char* const (&texts)[count]) {
    const char* line = reader.line;
    std::size_t length = reader.lineLength;
    std::size_t i = 0;
#if GRIDCMP_USE_SSE2
    __m128i firsts[count], seconds[count], thirds[count];
    for (int k = 0; k < count; ++k) {
        firsts[k] = _mm_set1_epi8(texts[k][0]);
        seconds[k] = _mm_set1_epi8(texts[k][1]);
        thirds[k] = _mm_set1_epi8(texts[k][2]);
    }
    for (; i + 18 <= length; i += 16) {
        __m128i at0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i));
        __m128i at1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i + 1));
        __m128i at2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + i + 2));
        __m128i found = _mm_setzero_si128();
        for (int k = 0; k < count; ++k) {
            found = _mm_or_si128(found, _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(at0, firsts[k]),
                                                                    _mm_cmpeq_epi8(at1, seconds[k])),
                                                      _mm_cmpeq_epi8(at2, thirds[k])));
        }
        if (_mm_movemask_epi8(found)) return true;
    }
#endif
    for (; i + 3 <= length; ++i) {
        for (int k = 0; k < count; ++k) {
            const char* text = texts[k];
            if (line[i] == text[0] && line[i + 1] == text[1] && line[i + 2] == text[2]) return true;
        }
    }
    return false;
}

// Texts of three characters each.
const char* const kDashes[] = {"---"};
const char* const kIne[] = {"ine"};
const char* const kDashesOrIne[] = {"---", "ine"};

bool containsDashes(const GridLogReader& reader) { return containsAny(reader, kDashes); }
bool containsIne(const GridLogReader& reader) { return containsAny(reader, kIne); }
bool containsDashesOrIne(const GridLogReader& reader) { return containsAny(reader, kDashesOrIne); }

// Makes bytes [start, end) of the buffer the current line and NUL-terminates it.
void deliverLine(GridLogReader& reader, std::size_t start, std::size_t end) {
    char* bytes = reader.input.bytes;
    bytes[end] = '\0';
    reader.line = bytes + start;
    const void* nul = std::memchr(reader.line, '\0', end - start);
    reader.lineLength = nul ? static_cast<const char*>(nul) - reader.line : end - start;
    ++reader.lineNumber;
    if (reader.lineLength > 0 && reader.line[reader.lineLength - 1] == '\r' && reader.firstCarriageReturnLine == 0) {
        reader.firstCarriageReturnLine = reader.lineNumber;
    }
}

// Moves the undelivered bytes to the front of the buffer and reads up to one
// chunk more after them. Sets `drained` when the stream has no more to give,
// at its end or because it broke (`broken`).
void refill(GridLogReader& reader) {
    LogInput& input = reader.input;
    std::size_t pending = input.end - input.start;
    std::memmove(input.bytes, input.bytes + input.start, pending);
    input.start = 0;
    input.end = pending;
    std::size_t wanted = kReadChunkBytes;  // there is room: pending is less than a line
    errno = 0;
    std::size_t got = std::fread(input.bytes + pending, 1, wanted, input.stream);
    input.end += got;
    // What is read ahead past the last line is never taken, but is read.
    std::memset(input.bytes + input.end, 0, 1 + kLineReadAhead);
    if (got > 0) input.anythingRead = true;
    if (got == wanted) return;
    input.drained = true;
    input.broken = std::ferror(input.stream) != 0;
    if (input.broken) reader.systemError = errno;
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

}  // namespace

void openLog(GridLogReader& reader, const char* path) {
    errno = 0;
    std::FILE* stream = std::fopen(path, "rb");
    if (!stream) reader.systemError = errno;
    attachLog(reader, stream, path);
    reader.input.ownsStream = stream != nullptr;
}

void attachLog(GridLogReader& reader, std::FILE* stream, const char* name) {
    reader.input.stream = stream;
    reader.name = name;
    reader.timeLabel[0] = '\0';
    if (!stream) reader.state = LogState::unopened;
    // Our own buffer is the only one; stdio's would just copy every byte again.
    if (stream) std::setvbuf(stream, nullptr, _IONBF, 0);
    setEmptyLine(reader);
}

void closeLog(GridLogReader& reader) {
    if (reader.input.ownsStream) std::fclose(reader.input.stream);
    reader.input.stream = nullptr;
    reader.input.ownsStream = false;
}

void readLine(GridLogReader& reader) {
    setEmptyLine(reader);
    LogInput& input = reader.input;
    while (reader.state == LogState::reading) {
        char* start = input.bytes + input.start;
        std::size_t available = input.end - input.start;
        std::size_t searched = available < kLineCapacity ? available : kLineCapacity;
        const void* newline = std::memchr(start, '\n', searched);
        if (newline) {
            std::size_t end = static_cast<const char*>(newline) - input.bytes;
            deliverLine(reader, input.start, end);
            input.start = end + 1;
            return;
        }
        if (available >= kLineCapacity) {
            stop(reader, LogState::lineTooLong, reader.lineNumber + 1);
            return;
        }
        if (input.drained && input.broken) {
            // Every line read before the break has been delivered. A stream that
            // gave nothing at all (a directory, say) is one that could not be
            // opened; one that breaks part way through is a fault.
            stop(reader, input.anythingRead ? LogState::readError : LogState::unopened, reader.lineNumber + 1);
            return;
        }
        if (input.drained) {
            if (available == 0) {
                reader.state = LogState::ended;
                return;
            }
            deliverLine(reader, input.start, input.end);  // last line, no newline
            reader.unterminatedLastLine = reader.lineNumber;
            input.start = input.end;
            return;
        }
        refill(reader);
    }
}

void readStartLine(GridLogReader& reader) {
    readLine(reader);
    if (hasFault(reader)) return;
    if (reader.lineLength == 0 || (reader.lineLength == 1 && reader.line[0] == ' ')) readLine(reader);
}

bool isStartTimeLine(const GridLogReader& reader) {
    return containsDashesOrIne(reader);
}

void takeTimeLabel(GridLogReader& reader) {
    if (hasFault(reader)) return;
    const char* end = reader.line + reader.lineLength;
    const char* token = skipBlanks(reader.line, end);
    for (int skipped = 0; skipped < 5 && token < end; ++skipped) {
        token = skipBlanks(skipToken(token, end), end);
    }
    if (token == end) {
        stop(reader, LogState::timeLineWithoutLabel, reader.lineNumber);
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
        if (reader.state != LogState::reading) break;
    } while (!isTimeLine(reader));
    if (reader.state == LogState::reading) takeTimeLabel(reader);
}

void parseRow(GridLogReader& reader, RowValues& row) {
    // Where every token starts is found first, in one pass over the line; the
    // conversions then do not wait on each other, and run side by side.
    constexpr int kMostTokens = kMaxRowValues + 2;  // a row label, the values, one too many
    std::uint32_t starts[kMostTokens + kTokenStartsSlack];
    int tokens = findTokenStarts(reader.line, reader.lineLength, starts, kMostTokens);
    int first = reader.hasTimeLines ? 1 : 0;
    row.count = tokens > first ? tokens - first : 0;
    if (row.count > kMaxRowValues) {
        row.count = 0;
        stop(reader, LogState::rowTooWide, reader.lineNumber);
        return;
    }
    for (int i = 0; i < row.count; ++i) row.values[i] = cellValue(reader.line + starts[first + i]);
}

bool isTimeLine(const GridLogReader& reader) { return containsIne(reader); }

bool isTerminatorOrTimeLine(const GridLogReader& reader) {
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || containsDashesOrIne(reader);
}

bool isBlockTerminator(const GridLogReader& reader) {
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || containsDashes(reader);
}

}  // namespace gridcmp
