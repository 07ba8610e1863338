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
// The reader never writes a message. It keeps what it meets in `state`, which
// its callers look at: the end of the file, a file that could not be read, or
// a line it cannot take (a fault). After anything but `reading`, every read
// gives an empty line; after a fault the caller is expected to stop.
//
// Lines are split at '\n' only, tokens at ' ' only: tab and carriage return are
// ordinary characters. A line is text up to its first NUL byte, as the C string
// functions see it; its length limit counts every byte.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "gridlog/ByteSource.h"
#include "gridlog/LineSupply.h"
#include "gridlog/LogInput.h"
#include "gridlog/RowValues.h"

namespace gridcmp {

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
    lineTooLong,           // fault: a line of limits.lineCapacity characters or more
    rowTooWide,            // fault: a data row of more than limits.maxRowValues values
    timeLineWithoutLabel,  // fault: a time line with fewer than six tokens
    readError,             // fault: the file stopped being readable part way through
};

struct GridLogReader {
    const char* name = "";       // the file name as given, for messages
    LogState state = LogState::reading;
    long long faultLine = 0;     // 1-based number of the line a fault is about
    int systemError = 0;         // errno of a failed open or read, else 0
    char failure[160] = {};      // why reading failed, in words (the system's or a library's)
    LogLimits limits;

    // The current line as text: lineLength bytes up to (not including) its first
    // NUL or its end, and always followed by a NUL.
    const char* line = nullptr;
    std::size_t lineLength = 0;
    long long lineNumber = 0;    // lines delivered so far
    long long firstCarriageReturnLine = 0;  // first line ending in '\r'; 0: none so far
    long long unterminatedLastLine = 0;     // the last line, when the file ends without a newline
    long long cutBlockLine = 0;  // the time line of a block the file ends in before its first row; 0: none

    bool hasTimeLines = false;   // set by the start check; parseRow drops row labels

    // The reader's own: not for callers.
    std::unique_ptr<char[]> timeLabelStorage{new char[1]{}};
    LogInput input;

    char* timeLabel = timeLabelStorage.get();  // label of the current block, whole; "" before the first
};

// Opens `path` for reading. A file that cannot be opened leaves the reader
// unopened (systemError says why): every readLine() then gives an empty line
// and atEnd() stays false. A reader may be opened or attached again after
// closeLog, and keeps its buffers; `path` must outlive its use.
void openLog(GridLogReader& reader, const char* path, LogLimits limits = LogLimits());

// Reads from an already open stream instead of a named file; the caller keeps
// the stream and closes it.
void attachLog(GridLogReader& reader, std::FILE* stream, const char* name, LogLimits limits = LogLimits());

// Reads the bytes of `source`, which the caller keeps: a source that gives
// nothing at all before it fails leaves the reader unopened.
void attachLogSource(GridLogReader& reader, ByteSource& source, const char* name, LogLimits limits = LogLimits());

// Takes lines read and converted elsewhere, as they come from `supply`, which
// the caller keeps; the limits must be those the lines were read with.
void attachLogSupply(GridLogReader& reader, LineSupply& supply, const char* name, LogLimits limits = LogLimits());

// Closes the file if openLog opened it.
void closeLog(GridLogReader& reader);

// Makes the next line current. A last line without a newline is delivered like
// any other; the read after it finds nothing and ends the log, leaving the line
// empty. A line of kLineCapacity bytes or more is the fault lineTooLong.
void readLine(GridLogReader& reader);

// True once a read has met the end of the file.
inline bool atEnd(const GridLogReader& reader) { return reader.state == LogState::ended; }

// True once the reader has met a line it cannot take; the caller stops there.
inline bool hasFault(const GridLogReader& reader) {
    return reader.state != LogState::reading && reader.state != LogState::ended &&
           reader.state != LogState::unopened;
}

// Reads the first line, and once more if it is empty or a single blank.
void readStartLine(GridLogReader& reader);

// The start line opens a block when it contains "---" or "ine".
bool isStartTimeLine(const GridLogReader& reader);

// Takes the sixth token of the current line as the block's time label, then
// reads past the two header lines onto the first data row. A line with fewer
// than six tokens is the fault timeLineWithoutLabel. A file that ends before
// that row notes the time line's number in cutBlockLine.
void takeTimeLabel(GridLogReader& reader);

// Reads forward (at least one line) to the next line containing "ine" and takes
// its label. At the end of the file the previous label stays.
void advanceToNextBlock(GridLogReader& reader);

// Splits the current line into values, dropping the row label when the log has
// time lines. More than limits.maxRowValues values are the fault rowTooWide.
// `row` must hold that many.
void parseRow(GridLogReader& reader, RowValues& row);

// The current line's values as a data row, without a fault: writes them to
// `values` (room for limits.maxRowValues) and returns how many, or -1 when
// there are more. The first token is dropped when `dropRowLabel`.
int parseRowValues(GridLogReader& reader, bool dropRowLabel, double* values);

// True when the current line has no token or contains "---".
bool isBlockTerminator(const GridLogReader& reader);

// True when the current line contains "ine": during the run, a time line.
bool isTimeLine(const GridLogReader& reader);

// isBlockTerminator or isTimeLine, in one look at the line.
bool isTerminatorOrTimeLine(const GridLogReader& reader);

}  // namespace gridcmp
