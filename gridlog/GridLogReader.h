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
// The reader never writes a message. It keeps what it meets as state that its
// callers look at: `ended` (the end of the file was met), `failed` (the file
// could not be opened or read), and `fault` (a line it cannot take). Once a
// fault is set, every operation is a no-op; the caller is expected to stop.
//
// Lines are split at '\n' only, tokens at ' ' only: tab and carriage return are
// ordinary characters. A line is text up to its first NUL byte, as the C string
// functions see it; its length limit counts every byte.
#pragma once

#include <cstddef>
#include <cstdio>

#include "gridlog/RowValues.h"

// Longest line the program accepts is kLineCapacity - 1 characters.
constexpr int kLineCapacity = 10000;
// Bytes fetched from the file per read; lines are delivered from this buffer.
constexpr int kReadChunkBytes = 1 << 18;
// Rows are split 64 bytes at a time, and cells read ahead too: a line is
// followed by this many readable bytes.
constexpr int kLineReadAhead = 64;

enum class LogFault {
    none,
    lineTooLong,           // a line of kLineCapacity characters or more
    rowTooWide,            // a data row of more than kMaxRowValues values
    timeLineWithoutLabel,  // a time line with fewer than six tokens
    readError,             // the file stopped being readable part way through
};

struct GridLogReader {
    std::FILE* stream = nullptr;
    const char* name = "";      // the file name as given, for messages
    bool failed = false;        // not opened, or unreadable from its first byte
    bool ended = false;         // a read met the end of the file
    LogFault fault = LogFault::none;
    long long faultLine = 0;    // 1-based number of the line the fault is about
    long long lineNumber = 0;   // lines delivered so far
    bool hasTimeLines = false;  // set by the start check; parseRow drops row labels

    // The current line as text: lineLength bytes up to (not including) its first
    // NUL or its end, and always followed by a NUL. Points into `buffer`.
    const char* line = nullptr;
    std::size_t lineLength = 0;

    char timeLabel[kLineCapacity] = {};  // label of the current block, whole

    // Bytes [bufferStart, bufferEnd) of `buffer` are read but not yet delivered.
    std::size_t bufferStart = 0;
    std::size_t bufferEnd = 0;
    bool streamDrained = false;  // the stream has nothing more to give
    bool streamBroken = false;   // ... because reading it failed
    bool anythingRead = false;
    // +1: room for the NUL after a last line; then what the row split reads ahead.
    char buffer[kReadChunkBytes + 1 + kLineReadAhead] = {};
};

// Opens `path` for reading. A file that cannot be opened leaves the reader
// failed: every readLine() then gives an empty line and atEnd() stays false.
// `reader` must be freshly constructed; `path` must outlive it.
void openLog(GridLogReader& reader, const char* path);

// Reads from an already open stream instead of a named file (in-process runs).
void attachLog(GridLogReader& reader, std::FILE* stream, const char* name);

// Makes the next line current. A last line without a newline is delivered like
// any other; the read after it finds nothing and sets the end state, leaving the
// line empty. After the end, a failure or a fault every read gives an empty line.
// A line of kLineCapacity bytes or more sets LogFault::lineTooLong.
void readLine(GridLogReader& reader);

// True once a read has met the end of the file.
bool atEnd(const GridLogReader& reader);

// True once the reader has met a line it cannot take; the caller stops there.
inline bool hasFault(const GridLogReader& reader) { return reader.fault != LogFault::none; }

// Reads the first line, and once more if it is empty or a single blank.
void readStartLine(GridLogReader& reader);

// The start line opens a block when it contains "---" or "ine".
bool isStartTimeLine(const GridLogReader& reader);

// Takes the sixth token of the current line as the block's time label, then
// reads past the two header lines onto the first data row. A line with fewer
// than six tokens sets LogFault::timeLineWithoutLabel.
void takeTimeLabel(GridLogReader& reader);

// Reads forward (at least one line) to the next line containing "ine" and takes
// its label. At the end of the file the previous label stays.
void advanceToNextBlock(GridLogReader& reader);

// Splits the current line into values, dropping the row label when the log has
// time lines. More than kMaxRowValues values set LogFault::rowTooWide.
// The line itself is left as it was.
void parseRow(GridLogReader& reader, RowValues& row);

// True when the current line has no token or contains "---".
bool isBlockTerminator(const GridLogReader& reader);
