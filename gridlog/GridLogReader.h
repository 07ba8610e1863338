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

#include "gridlog/LogInput.h"
#include "gridlog/RowValues.h"

namespace gridcmp {

enum class LogState {
    reading,               // lines still come
    ended,                 // a read met the end of the file
    unopened,              // the file could not be opened, or gave nothing at all
    lineTooLong,           // fault: a line of kLineCapacity characters or more
    rowTooWide,            // fault: a data row of more than kMaxRowValues values
    timeLineWithoutLabel,  // fault: a time line with fewer than six tokens
    readError,             // fault: the file stopped being readable part way through
};

struct GridLogReader {
    const char* name = "";       // the file name as given, for messages
    LogState state = LogState::reading;
    long long faultLine = 0;     // 1-based number of the line a fault is about
    int systemError = 0;         // errno of a failed open or read, else 0

    // The current line as text: lineLength bytes up to (not including) its first
    // NUL or its end, and always followed by a NUL.
    const char* line = nullptr;
    std::size_t lineLength = 0;
    long long lineNumber = 0;    // lines delivered so far
    long long firstCarriageReturnLine = 0;  // first line ending in '\r'; 0: none so far
    long long unterminatedLastLine = 0;     // the last line, when the file ends without a newline

    bool hasTimeLines = false;   // set by the start check; parseRow drops row labels
    char timeLabel[kLineCapacity];  // label of the current block, whole

    LogInput input;              // the reader's own: not for callers
};

// Opens `path` for reading. A file that cannot be opened leaves the reader
// unopened (systemError says why): every readLine() then gives an empty line
// and atEnd() stays false. `reader` must be freshly constructed; `path` must
// outlive it.
void openLog(GridLogReader& reader, const char* path);

// Reads from an already open stream instead of a named file; the caller keeps
// the stream and closes it.
void attachLog(GridLogReader& reader, std::FILE* stream, const char* name);

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
// than six tokens is the fault timeLineWithoutLabel.
void takeTimeLabel(GridLogReader& reader);

// Reads forward (at least one line) to the next line containing "ine" and takes
// its label. At the end of the file the previous label stays.
void advanceToNextBlock(GridLogReader& reader);

// Splits the current line into values, dropping the row label when the log has
// time lines. More than kMaxRowValues values are the fault rowTooWide.
void parseRow(GridLogReader& reader, RowValues& row);

// True when the current line has no token or contains "---".
bool isBlockTerminator(const GridLogReader& reader);

// True when the current line contains "ine": during the run, a time line.
bool isTimeLine(const GridLogReader& reader);

// isBlockTerminator or isTimeLine, in one look at the line.
bool isTerminatorOrTimeLine(const GridLogReader& reader);

}  // namespace gridcmp
