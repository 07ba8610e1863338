// One grid log, read once from front to back, one line at a time.
//
// A grid log is a sequence of blocks, one per simulated time step:
//
//     a time line (contains "ine"; its sixth blank-separated token is the label)
//     two header lines (ignored)
//     data rows: a row label, then one value per cell
//     a terminator: an empty or blank-only line, or one containing "---"
//     anything up to the next time line (skipped)
//
// The reader never writes a message. It keeps what it meets in its state(),
// which its callers look at: the end of the file, a file that could not be
// read, or a line it cannot take (a fault). After anything but `reading`,
// every read gives an empty line; after a fault the caller is expected to
// stop. Its lines come from a LineSupply: its own, cutting a file's bytes
// into lines (byteLines.h), or one that converted them elsewhere.
//
// Lines are split at '\n' only, tokens at ' ' only: tab and carriage return are
// ordinary characters. A line is text up to its first NUL byte, as the C string
// functions see it; its length limit counts every byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "gridlog/ByteSource.h"
#include "gridlog/LineSupply.h"
#include "gridlog/RowValues.h"

namespace gridcmp {

struct ByteLines;

// What a reader accepts: lines of at most lineCapacity - 1 characters, data
// rows of at most maxRowValues values. gridcmp's are its stated capacity;
// gridcmp-study takes wider grids.
struct LogLimits {
    std::size_t lineCapacity = kLineCapacity;
    int maxRowValues = kMaxRowValues;
};

enum class LogState {
    reading,               // lines still come
    ended,                 // a read met the end of the file
    unopened,              // the file could not be opened, or gave nothing at all
    lineTooLong,           // fault: a line of limits().lineCapacity characters or more
    rowTooWide,            // fault: a data row of more than limits().maxRowValues values
    timeLineWithoutLabel,  // fault: a time line with fewer than six tokens
    readError,             // fault: the file stopped being readable part way through
};

class GridLogReader {
public:
    GridLogReader();
    ~GridLogReader();
    GridLogReader(const GridLogReader&) = delete;
    GridLogReader& operator=(const GridLogReader&) = delete;

    const char* name() const { return name_; }  // the file name as given, for messages
    LogState state() const { return state_; }
    long long faultLine() const { return faultLine_; }  // 1-based line a fault is about
    int systemError() const { return systemError_; }    // errno of a failed open or read, else 0
    const char* failure() const { return failure_; }    // why reading failed, in words; else ""
    const LogLimits& limits() const { return limits_; }

    // The current line as text: lineLength() bytes up to (not including) its
    // first NUL or its end, always followed by a NUL and kLineReadAhead
    // readable bytes.
    const char* line() const { return line_; }
    std::size_t lineLength() const { return lineLength_; }
    long long lineNumber() const { return lineNumber_; }  // lines delivered so far
    long long firstCarriageReturnLine() const { return firstCarriageReturnLine_; }  // 0: none so far
    long long unterminatedLastLine() const { return unterminatedLastLine_; }  // 0: the last line had its newline
    // The time line of a block the file ends in before its first row; 0: none.
    long long cutBlockLine() const { return cutBlockLine_; }
    // The current block's, whole; "" before the first.
    const char* timeLabel() const { return timeLabel_ ? timeLabel_.get() : ""; }

private:
    friend void openLog(GridLogReader&, const char*, LogLimits);
    friend void attachLog(GridLogReader&, std::FILE*, const char*, LogLimits);
    friend void attachLogSource(GridLogReader&, ByteSource&, const char*, LogLimits);
    friend void attachLogSupply(GridLogReader&, LineSupply&, const char*, LogLimits);
    friend void closeLog(GridLogReader&);
    friend void readLine(GridLogReader&);
    friend void takeTimeLabel(GridLogReader&);
    friend void parseRow(GridLogReader&, RowValues&, bool);
    friend int parseRowValues(GridLogReader&, bool, double*, CellDecimal*);
    friend bool isBlockTerminator(const GridLogReader&);
    friend bool isTimeLine(const GridLogReader&);
    friend bool isTerminatorOrTimeLine(const GridLogReader&);
    friend struct ReaderInternals;

    const char* name_ = "";
    LogState state_ = LogState::reading;
    long long faultLine_ = 0;
    int systemError_ = 0;
    char failure_[160] = {};
    LogLimits limits_;
    const char* line_;
    std::size_t lineLength_ = 0;
    long long lineNumber_ = 0;
    long long firstCarriageReturnLine_ = 0;
    long long unterminatedLastLine_ = 0;
    long long cutBlockLine_ = 0;
    std::unique_ptr<char[]> timeLabel_;
    std::size_t labelCapacity_ = 0;  // 0: none allocated for the limits yet

    // Where lines come from, and what the current one is.
    LineSupply* supply_ = nullptr;
    std::unique_ptr<ByteLines> ownLines_;   // a file's or a source's bytes cut into lines
    std::unique_ptr<ByteSource> ownSource_;  // a stream openLog or attachLog read
    std::FILE* ownStream_ = nullptr;        // ... closed by closeLog when openLog opened it
    SuppliedLine current_;
    // Where the tokens of a row start, for splitting it.
    std::unique_ptr<std::uint32_t[]> tokenStarts_;
};

// Opens `path` for reading. A file that cannot be opened leaves the reader
// unopened (systemError() says why): every readLine() then gives an empty
// line and atEnd() stays false. A reader may be opened or attached again
// after closeLog, and keeps its buffers; `path` must outlive its use. Its
// buffers are allocated here, or by attaching: failure throws std::bad_alloc.
void openLog(GridLogReader& reader, const char* path, LogLimits limits = LogLimits());

// Reads from an already open stream instead of a named file; the caller keeps
// the stream and closes it.
void attachLog(GridLogReader& reader, std::FILE* stream, const char* name, LogLimits limits = LogLimits());

// Reads the bytes of `source`, which the caller keeps: a source that gives
// nothing at all before it fails leaves the reader unopened.
void attachLogSource(GridLogReader& reader, ByteSource& source, const char* name, LogLimits limits = LogLimits());

// Takes lines read elsewhere, as they come from `supply`, which the caller
// keeps; the limits must be those the lines were read with.
void attachLogSupply(GridLogReader& reader, LineSupply& supply, const char* name, LogLimits limits = LogLimits());

// Closes the file if openLog opened it.
void closeLog(GridLogReader& reader);

// Makes the next line current. A last line without a newline is delivered like
// any other; the read after it finds nothing and ends the log, leaving the line
// empty. A line of limits().lineCapacity bytes or more is the fault lineTooLong.
void readLine(GridLogReader& reader);

// True once a read has met the end of the file.
inline bool atEnd(const GridLogReader& reader) { return reader.state() == LogState::ended; }

// True once the reader has met a line it cannot take; the caller stops there.
inline bool hasFault(const GridLogReader& reader) {
    return reader.state() != LogState::reading && reader.state() != LogState::ended &&
           reader.state() != LogState::unopened;
}

// Reads the first line, and once more if it is empty or a single blank.
void readStartLine(GridLogReader& reader);

// The start line opens a block when it contains "---" or "ine".
bool isStartTimeLine(const GridLogReader& reader);

// Takes the sixth token of the current line as the block's time label, then
// reads past the two header lines onto the first data row. A line with fewer
// than six tokens is the fault timeLineWithoutLabel. A file that ends before
// that row notes the time line's number in cutBlockLine().
void takeTimeLabel(GridLogReader& reader);

// Reads forward (at least one line) to the next line containing "ine" and takes
// its label. At the end of the file the previous label stays.
void advanceToNextBlock(GridLogReader& reader);

// Splits the current line into values, dropping its first token when
// `rowsStartWithLabel` (the rows of a log with time lines do). More than
// limits().maxRowValues values are the fault rowTooWide. `row` must hold that
// many, and as many decimals where it asks for them. A line a supply
// converted comes with its label dropped already, and no decimals.
void parseRow(GridLogReader& reader, RowValues& row, bool rowsStartWithLabel);

// The current line's values as a data row, without a fault: writes them to
// `values` (room for limits().maxRowValues) and returns how many, or -1 when
// there are more. The first token is dropped when `rowsStartWithLabel`.
// Where `decimals` is not nullptr (as much room), the decimal of each
// value's token too (cellValueAndDecimal).
int parseRowValues(GridLogReader& reader, bool rowsStartWithLabel, double* values, CellDecimal* decimals = nullptr);

// True when the current line has no token or contains "---".
bool isBlockTerminator(const GridLogReader& reader);

// True when the current line contains "ine": during the run, a time line.
bool isTimeLine(const GridLogReader& reader);

// isBlockTerminator or isTimeLine, in one look at the line.
bool isTerminatorOrTimeLine(const GridLogReader& reader);

}  // namespace gridcmp
