#include "gridlog/GridLogReader.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif


namespace {

char emptyLine[1 + kCellValueReadAhead] = {};

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
#ifdef __SSE2__
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
// them. Sets streamDrained at the end of the file, and failed or a fault when
// the stream cannot be read.
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
    if (!std::ferror(reader.stream)) return;
    // A stream that gives nothing at all (a directory, say) is one that could
    // not be opened; one that breaks part way through is reported.
    if (reader.anythingRead) {
        setFault(reader, LogFault::readError, reader.lineNumber + 1);
    } else {
        reader.failed = true;
    }
}

// Positions of the tokens of the current line: blank-separated, no empty ones.
char* skipBlanks(char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
}

char* skipToken(char* p, const char* end) {
    while (p < end && *p != ' ') ++p;
    return p;
}

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
    while (!reader.failed && !reader.ended && reader.fault == LogFault::none) {
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
    if (reader.fault != LogFault::none) return;
    if (reader.lineLength == 0 || (reader.lineLength == 1 && reader.line[0] == ' ')) readLine(reader);
}

bool isStartTimeLine(const GridLogReader& reader) {
    return contains(reader, "---") || contains(reader, "ine");
}

void takeTimeLabel(GridLogReader& reader) {
    if (reader.fault != LogFault::none) return;
    const char* end = reader.line + reader.lineLength;
    char* token = skipBlanks(reader.line, end);
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
    for (int i = 0; i < 3 && reader.fault == LogFault::none; ++i) readLine(reader);
}

void advanceToNextBlock(GridLogReader& reader) {
    do {
        readLine(reader);
        if (reader.fault != LogFault::none || reader.failed) return;
    } while (!reader.ended && !contains(reader, "ine"));
    if (!reader.ended) takeTimeLabel(reader);
}

void parseRow(GridLogReader& reader, RowValues& row) {
    // The line is NUL-terminated at lineLength and holds no NUL before it, so
    // the scans stop at the end of the line without counting.
    row.count = 0;
    char* p = reader.line;
    while (*p == ' ') ++p;
    if (reader.hasTimeLines) {
        while (*p != ' ' && *p != '\0') ++p;
    }
    for (;;) {
        while (*p == ' ') ++p;
        if (*p == '\0') return;
        if (row.count == kMaxRowValues) {
            setFault(reader, LogFault::rowTooWide, reader.lineNumber);
            return;
        }
        row.values[row.count++] = scanCellValue(p, &p);
    }
}

bool isBlockTerminator(const GridLogReader& reader) {
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || contains(reader, "---");
}
