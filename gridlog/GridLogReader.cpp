#include "gridlog/GridLogReader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gridlog/cellValue.h"
#include "gridlog/fileSource.h"
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
    reader.input.suppliedTerminator = true;  // what an empty line is
    reader.input.suppliedTimeLine = false;
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

// Counts the current line and notes what callers are told of lines.
void countLine(GridLogReader& reader) {
    ++reader.lineNumber;
    if (reader.lineLength > 0 && reader.line[reader.lineLength - 1] == '\r' && reader.firstCarriageReturnLine == 0) {
        reader.firstCarriageReturnLine = reader.lineNumber;
    }
}

// Makes bytes [start, end) of the buffer the current line and NUL-terminates it.
void deliverLine(GridLogReader& reader, std::size_t start, std::size_t end) {
    char* bytes = reader.input.bytes.get();
    bytes[end] = '\0';
    reader.line = bytes + start;
    const void* nul = std::memchr(reader.line, '\0', end - start);
    reader.lineLength = nul ? static_cast<const char*>(nul) - reader.line : end - start;
    countLine(reader);
}

// The next line from a supply, as readLine would have read it from the bytes.
void takeSuppliedLine(GridLogReader& reader) {
    SuppliedLine supplied = reader.input.supply->nextLine();
    switch (supplied.kind) {
        case SuppliedLine::line:
            reader.line = supplied.text;
            reader.lineLength = supplied.length;
            countLine(reader);
            if (supplied.unterminated) reader.unterminatedLastLine = reader.lineNumber;
            reader.input.suppliedValues = supplied.values;
            reader.input.suppliedValueCount = supplied.valueCount;
            reader.input.suppliedTerminator = supplied.terminator;
            reader.input.suppliedTimeLine = supplied.timeLine;
            return;
        case SuppliedLine::ended: reader.state = LogState::ended; return;
        case SuppliedLine::lineTooLong: stop(reader, LogState::lineTooLong, reader.lineNumber + 1); return;
        case SuppliedLine::readError:
        case SuppliedLine::unopened:
            reader.systemError = supplied.systemError;
            std::snprintf(reader.failure, sizeof reader.failure, "%s", supplied.reason);
            stop(reader, supplied.kind == SuppliedLine::readError ? LogState::readError : LogState::unopened,
                 reader.lineNumber + 1);
            return;
    }
}

// Moves the undelivered bytes to the front of the buffer and reads up to one
// chunk more after them. Sets `drained` when the source has no more to give,
// at its end or because it broke (`broken`).
void refill(GridLogReader& reader) {
    LogInput& input = reader.input;
    char* bytes = input.bytes.get();
    std::size_t pending = input.end - input.start;
    std::memmove(bytes, bytes + input.start, pending);
    input.start = 0;
    input.end = pending;
    // There is room: pending is less than a line.
    std::size_t got = input.source->read(bytes + pending, kReadChunkBytes);
    input.end += got;
    // What is read ahead past the last line is never taken, but is read.
    std::memset(bytes + input.end, 0, 1 + kLineReadAhead);
    if (got > 0) {
        input.anythingRead = true;
        return;
    }
    input.drained = true;
    input.broken = input.source->failed();
    if (input.broken) {
        reader.systemError = input.source->systemError;
        std::snprintf(reader.failure, sizeof reader.failure, "%s", input.source->failure);
    }
}

// Gives the reader its limits and the buffers they take, and starts it
// afresh: a reader attached again keeps the buffers it has, where they are
// large enough.
void prepare(GridLogReader& reader, const char* name, LogLimits limits) {
    LogInput& input = reader.input;
    bool largeEnough = reader.limits.lineCapacity >= limits.lineCapacity &&
                       reader.limits.maxRowValues >= limits.maxRowValues && input.labelCapacity > 0;
    if (!largeEnough) {
        reader.timeLabelStorage.reset(new char[limits.lineCapacity]);
        input.labelCapacity = limits.lineCapacity;
        if (limits.maxRowValues > kMaxRowValues) {
            input.tokenStarts.reset(new std::uint32_t[limits.maxRowValues + 2 + kTokenStartsSlack]);
        }
        input.bytes.reset();
    }
    reader.name = name;
    reader.state = LogState::reading;
    reader.faultLine = 0;
    reader.systemError = 0;
    reader.failure[0] = '\0';
    reader.limits = limits;
    reader.lineNumber = 0;
    reader.firstCarriageReturnLine = 0;
    reader.unterminatedLastLine = 0;
    reader.cutBlockLine = 0;
    reader.hasTimeLines = false;
    reader.timeLabel = reader.timeLabelStorage.get();
    reader.timeLabel[0] = '\0';
    input.source = nullptr;
    input.supply = nullptr;
    input.start = 0;
    input.end = 0;
    input.drained = false;
    input.broken = false;
    input.anythingRead = false;
    input.suppliedValues = nullptr;
    input.suppliedValueCount = 0;
    setEmptyLine(reader);
}

void prepareBuffer(GridLogReader& reader) {
    if (!reader.input.bytes) {
        reader.input.bytes.reset(new char[reader.limits.lineCapacity + kReadChunkBytes + 1 + kLineReadAhead]);
    }
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

void openLog(GridLogReader& reader, const char* path, LogLimits limits) {
    errno = 0;
    std::FILE* stream = std::fopen(path, "rb");
    if (!stream) {
        int error = errno;
        prepare(reader, path, limits);
        reader.systemError = error;
        std::snprintf(reader.failure, sizeof reader.failure, "%s", std::strerror(error));
        reader.state = LogState::unopened;
        return;
    }
    attachLog(reader, stream, path, limits);
    reader.input.ownStream = stream;
}

void attachLog(GridLogReader& reader, std::FILE* stream, const char* name, LogLimits limits) {
    if (!stream) {
        prepare(reader, name, limits);
        reader.state = LogState::unopened;
        return;
    }
    reader.input.ownSource.reset(new FileSource(stream));
    attachLogSource(reader, *reader.input.ownSource, name, limits);
}

void attachLogSource(GridLogReader& reader, ByteSource& source, const char* name, LogLimits limits) {
    prepare(reader, name, limits);
    prepareBuffer(reader);
    reader.input.source = &source;
}

void attachLogSupply(GridLogReader& reader, LineSupply& supply, const char* name, LogLimits limits) {
    prepare(reader, name, limits);
    reader.input.supply = &supply;
}

void closeLog(GridLogReader& reader) {
    reader.input.source = nullptr;
    reader.input.ownSource.reset();
    if (reader.input.ownStream) std::fclose(reader.input.ownStream);
    reader.input.ownStream = nullptr;
}

void readLine(GridLogReader& reader) {
    setEmptyLine(reader);
    LogInput& input = reader.input;
    if (input.supply) {
        input.suppliedTerminator = true;  // what an empty line is, unless a line comes
        input.suppliedTimeLine = false;
        if (reader.state == LogState::reading) takeSuppliedLine(reader);
        return;
    }
    const std::size_t capacity = reader.limits.lineCapacity;
    while (reader.state == LogState::reading) {
        char* start = input.bytes.get() + input.start;
        std::size_t available = input.end - input.start;
        std::size_t searched = available < capacity ? available : capacity;
        const void* newline = std::memchr(start, '\n', searched);
        if (newline) {
            std::size_t end = static_cast<const char*>(newline) - input.bytes.get();
            deliverLine(reader, input.start, end);
            input.start = end + 1;
            return;
        }
        if (available >= capacity) {
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
    long long timeLine = reader.lineNumber;
    for (int i = 0; i < 3 && !hasFault(reader); ++i) readLine(reader);
    if (reader.state == LogState::ended) reader.cutBlockLine = timeLine;
}

void advanceToNextBlock(GridLogReader& reader) {
    do {
        readLine(reader);
        if (reader.state != LogState::reading) break;
    } while (!isTimeLine(reader));
    if (reader.state == LogState::reading) takeTimeLabel(reader);
}

int parseRowValues(GridLogReader& reader, bool dropRowLabel, double* values) {
    // Where every token starts is found first, in one pass over the line; the
    // conversions then do not wait on each other, and run side by side.
    const int most = reader.limits.maxRowValues + 2;  // a row label, the values, one too many
    std::uint32_t* starts = reader.input.tokenStarts.get();
    int tokens = findTokenStarts(reader.line, reader.lineLength, starts, most);
    int first = dropRowLabel ? 1 : 0;
    int count = tokens > first ? tokens - first : 0;
    if (count > reader.limits.maxRowValues) return -1;
    for (int i = 0; i < count; ++i) values[i] = cellValue(reader.line + starts[first + i]);
    return count;
}

void parseRow(GridLogReader& reader, RowValues& row) {
    int count;
    if (reader.input.supply) {
        // Supplied lines come converted, their row labels dropped (a log
        // without time lines is never compared), and stay where they are.
        count = reader.input.suppliedValueCount;
        row.values = reader.input.suppliedValues;
    } else {
        count = parseRowValues(reader, reader.hasTimeLines, row.storage.get());
        row.values = row.storage.get();
    }
    if (count < 0) {
        row.count = 0;
        stop(reader, LogState::rowTooWide, reader.lineNumber);
        return;
    }
    row.count = count;
}

// A supply says what its lines are: they were looked at where they were read.
bool isTimeLine(const GridLogReader& reader) {
    if (reader.input.supply) return reader.input.suppliedTimeLine;
    return containsIne(reader);
}

bool isTerminatorOrTimeLine(const GridLogReader& reader) {
    if (reader.input.supply) return reader.input.suppliedTerminator || reader.input.suppliedTimeLine;
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || containsDashesOrIne(reader);
}

bool isBlockTerminator(const GridLogReader& reader) {
    if (reader.input.supply) return reader.input.suppliedTerminator;
    const char* end = reader.line + reader.lineLength;
    return skipBlanks(reader.line, end) == end || containsDashes(reader);
}

}  // namespace gridcmp
