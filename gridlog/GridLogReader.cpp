#include "gridlog/GridLogReader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "gridlog/byteLines.h"
#include "gridlog/cellValue.h"
#include "gridlog/fileSource.h"
#include "gridlog/tokenStarts.h"
#include "platform/fastPaths.h"

namespace gridcmp {

static_assert(kLineReadAhead >= kCellValueReadAhead, "cell conversions read past the line too");

namespace {

const char emptyLine[1 + kLineReadAhead] = {};

// Whether the current line contains the three characters of one of the
// `count` texts. Every line of the original log is searched for "---", and
// every quantized row for "---" and "ine" at once, so this looks at sixteen
// positions at a time: the line's bytes, the bytes one after and two after.
template <int count>
bool containsAny(const GridLogReader& reader, const char* const (&texts)[count]) {
    const char* line = reader.line();
    std::size_t length = reader.lineLength();
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

}  // namespace

// The reader's own steps, which see its private state.
struct ReaderInternals {
    static void setEmptyLine(GridLogReader& reader) {
        reader.line_ = emptyLine;
        reader.lineLength_ = 0;
        reader.current_ = SuppliedLine();
        reader.current_.kind = SuppliedLine::line;
    }

    static void stop(GridLogReader& reader, LogState state, long long line) {
        reader.state_ = state;
        reader.faultLine_ = line;
        setEmptyLine(reader);
    }

    static void setFailure(GridLogReader& reader, int systemError, const char* reason) {
        reader.systemError_ = systemError;
        std::snprintf(reader.failure_, sizeof reader.failure_, "%s", reason);
    }

    // Gives the reader its limits and the buffers they take, and starts it
    // afresh: a reader attached again keeps the buffers it has, where they
    // are large enough.
    static void prepare(GridLogReader& reader, const char* name, LogLimits limits) {
        if (reader.labelCapacity_ < limits.lineCapacity) {
            reader.timeLabel_.reset(new char[limits.lineCapacity]);
            reader.labelCapacity_ = limits.lineCapacity;
        }
        if (!reader.tokenStarts_ || reader.limits_.maxRowValues < limits.maxRowValues) {
            reader.tokenStarts_.reset(new std::uint32_t[limits.maxRowValues + 2 + kTokenStartsSlack]);
        }
        reader.name_ = name;
        reader.state_ = LogState::reading;
        reader.faultLine_ = 0;
        reader.systemError_ = 0;
        reader.failure_[0] = '\0';
        reader.limits_ = limits;
        reader.lineNumber_ = 0;
        reader.firstCarriageReturnLine_ = 0;
        reader.unterminatedLastLine_ = 0;
        reader.cutBlockLine_ = 0;
        reader.timeLabel_[0] = '\0';
        reader.supply_ = nullptr;
        setEmptyLine(reader);
    }

    // Makes the supply's next line current, or stops where the log ended.
    static void takeLine(GridLogReader& reader) {
        SuppliedLine supplied = reader.supply_->nextLine();
        switch (supplied.kind) {
            case SuppliedLine::line:
                reader.current_ = supplied;
                reader.line_ = supplied.text;
                reader.lineLength_ = supplied.length;
                ++reader.lineNumber_;
                if (reader.lineLength_ > 0 && reader.line_[reader.lineLength_ - 1] == '\r' &&
                    reader.firstCarriageReturnLine_ == 0) {
                    reader.firstCarriageReturnLine_ = reader.lineNumber_;
                }
                if (supplied.unterminated) reader.unterminatedLastLine_ = reader.lineNumber_;
                return;
            case SuppliedLine::ended: reader.state_ = LogState::ended; return;
            case SuppliedLine::lineTooLong: stop(reader, LogState::lineTooLong, reader.lineNumber_ + 1); return;
            case SuppliedLine::readError:
            case SuppliedLine::unopened:
                setFailure(reader, supplied.systemError, supplied.reason);
                stop(reader, supplied.kind == SuppliedLine::readError ? LogState::readError : LogState::unopened,
                     reader.lineNumber_ + 1);
                return;
        }
    }
};

namespace {

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

GridLogReader::GridLogReader() : line_(emptyLine) {}
GridLogReader::~GridLogReader() { closeLog(*this); }

void openLog(GridLogReader& reader, const char* path, LogLimits limits) {
    errno = 0;
    std::FILE* stream = std::fopen(path, "rb");
    if (!stream) {
        int error = errno;
        ReaderInternals::prepare(reader, path, limits);
        ReaderInternals::setFailure(reader, error, std::strerror(error));
        reader.state_ = LogState::unopened;
        return;
    }
    reader.ownStream_ = stream;  // closed by closeLog, even where attaching runs out of memory
    attachLog(reader, stream, path, limits);
}

void attachLog(GridLogReader& reader, std::FILE* stream, const char* name, LogLimits limits) {
    if (!stream) {
        ReaderInternals::prepare(reader, name, limits);
        reader.state_ = LogState::unopened;
        return;
    }
    reader.ownSource_.reset(new FileSource(stream));
    attachLogSource(reader, *reader.ownSource_, name, limits);
}

void attachLogSource(GridLogReader& reader, ByteSource& source, const char* name, LogLimits limits) {
    ReaderInternals::prepare(reader, name, limits);
    if (!reader.ownLines_) reader.ownLines_.reset(new ByteLines);
    reader.ownLines_->restart(source, limits.lineCapacity);
    reader.supply_ = reader.ownLines_.get();
}

void attachLogSupply(GridLogReader& reader, LineSupply& supply, const char* name, LogLimits limits) {
    ReaderInternals::prepare(reader, name, limits);
    reader.supply_ = &supply;
}

void closeLog(GridLogReader& reader) {
    reader.supply_ = nullptr;
    reader.ownSource_.reset();
    if (reader.ownStream_) std::fclose(reader.ownStream_);
    reader.ownStream_ = nullptr;
}

void readLine(GridLogReader& reader) {
    ReaderInternals::setEmptyLine(reader);
    if (reader.state_ == LogState::reading) ReaderInternals::takeLine(reader);
}

void readStartLine(GridLogReader& reader) {
    readLine(reader);
    if (hasFault(reader)) return;
    if (reader.lineLength() == 0 || (reader.lineLength() == 1 && reader.line()[0] == ' ')) readLine(reader);
}

bool isStartTimeLine(const GridLogReader& reader) {
    return containsDashesOrIne(reader);
}

void takeTimeLabel(GridLogReader& reader) {
    if (hasFault(reader)) return;
    const char* end = reader.line_ + reader.lineLength_;
    const char* token = skipBlanks(reader.line_, end);
    for (int skipped = 0; skipped < 5 && token < end; ++skipped) {
        token = skipBlanks(skipToken(token, end), end);
    }
    if (token == end) {
        ReaderInternals::stop(reader, LogState::timeLineWithoutLabel, reader.lineNumber_);
        return;
    }
    std::size_t length = skipToken(token, end) - token;
    std::memcpy(reader.timeLabel_.get(), token, length);
    reader.timeLabel_[length] = '\0';
    long long timeLine = reader.lineNumber_;
    for (int i = 0; i < 3 && !hasFault(reader); ++i) readLine(reader);
    if (reader.state_ == LogState::ended) reader.cutBlockLine_ = timeLine;
}

void advanceToNextBlock(GridLogReader& reader) {
    do {
        readLine(reader);
        if (reader.state() != LogState::reading) break;
    } while (!isTimeLine(reader));
    if (reader.state() == LogState::reading) takeTimeLabel(reader);
}

namespace {

template <bool kWithDecimals>
int convertRow(GridLogReader& reader, const std::uint32_t* starts, int tokens, bool rowsStartWithLabel,
               double* values, CellDecimal* decimals) {
    int first = rowsStartWithLabel ? 1 : 0;
    int count = tokens > first ? tokens - first : 0;
    if (count > reader.limits().maxRowValues) return -1;
    const char* line = reader.line();
    for (int i = 0; i < count; ++i) {
        values[i] = kWithDecimals ? cellValueAndDecimal(line + starts[first + i], decimals[i])
                                  : cellValue(line + starts[first + i]);
    }
    return count;
}

}  // namespace

int parseRowValues(GridLogReader& reader, bool rowsStartWithLabel, double* values, CellDecimal* decimals) {
    // Where every token starts is found first, in one pass over the line; the
    // conversions then do not wait on each other, and run side by side.
    const int most = reader.limits_.maxRowValues + 2;  // a row label, the values, one too many
    std::uint32_t* starts = reader.tokenStarts_.get();
    int tokens = findTokenStarts(reader.line_, reader.lineLength_, starts, most);
    return decimals ? convertRow<true>(reader, starts, tokens, rowsStartWithLabel, values, decimals)
                    : convertRow<false>(reader, starts, tokens, rowsStartWithLabel, values, nullptr);
}

void parseRow(GridLogReader& reader, RowValues& row, bool rowsStartWithLabel) {
    int count;
    if (reader.current_.values) {
        // Converted where the line was read, its label dropped, and kept
        // there until the next line.
        count = reader.current_.valueCount;
        row.values = reader.current_.values;
        row.decimals = nullptr;
        row.tokenStarts = nullptr;
    } else {
        count = parseRowValues(reader, rowsStartWithLabel, row.storage.get(), row.decimalStorage.get());
        row.values = row.storage.get();
        row.decimals = row.decimalStorage.get();
        row.tokenStarts = reader.tokenStarts_.get() + (rowsStartWithLabel ? 1 : 0);
    }
    if (count < 0) {
        row.count = 0;
        ReaderInternals::stop(reader, LogState::rowTooWide, reader.lineNumber_);
        return;
    }
    row.count = count;
}

// A supply may say what its lines are: it looked at them where it read them.
bool isTimeLine(const GridLogReader& reader) {
    if (reader.current_.classified) return reader.current_.timeLine;
    return containsIne(reader);
}

bool isTerminatorOrTimeLine(const GridLogReader& reader) {
    if (reader.current_.classified) return reader.current_.terminator || reader.current_.timeLine;
    const char* end = reader.line_ + reader.lineLength_;
    return skipBlanks(reader.line_, end) == end || containsDashesOrIne(reader);
}

bool isBlockTerminator(const GridLogReader& reader) {
    if (reader.current_.classified) return reader.current_.terminator;
    const char* end = reader.line_ + reader.lineLength_;
    return skipBlanks(reader.line_, end) == end || containsDashes(reader);
}

}  // namespace gridcmp
