// Where a reader's lines come from: the bytes of a file or a stream cut into
// lines (byteLines.h), or lines read and converted elsewhere (another thread,
// once for several readers). Each line comes as the reader would have cut it
// from the bytes; a supply that looked at it already may say what it is and
// give its values as a data row.
#pragma once

#include <cstddef>

namespace gridcmp {

// gridcmp's longest line is kLineCapacity - 1 characters: room for 400 values
// written at full precision, and for far more.
constexpr std::size_t kLineCapacity = 1 << 20;
// Rows are split 64 bytes at a time, and cells read ahead too: a supplied
// line is followed by this many readable bytes.
constexpr int kLineReadAhead = 64;

struct SuppliedLine {
    enum Kind {
        line,         // a line of the log
        ended,        // the log has no more lines
        lineTooLong,  // the next line is longer than the readers' limit
        readError,    // the bytes stopped coming part way: systemError and reason say why
        unopened,     // the log gave nothing at all (a folder, say): likewise
    } kind = ended;
    // A line's text: `length` bytes up to its first NUL or its end, followed
    // by a NUL and kLineReadAhead readable bytes.
    const char* text = "";
    std::size_t length = 0;
    bool unterminated = false;  // the log's last line, which had no newline
    // What a supply that looked at the line says of it; else the reader looks.
    bool classified = false;
    bool terminator = false;    // isBlockTerminator of the line
    bool timeLine = false;      // isTimeLine of the line
    // The line read as a data row, its first token (the row label) dropped,
    // where the supply converted it (nullptr: the reader converts it);
    // valueCount -1 when it has more values than the readers' limit.
    const double* values = nullptr;
    int valueCount = 0;
    int systemError = 0;        // for readError and unopened
    const char* reason = "";
};

struct LineSupply {
    // The next line, or how the log ended (given again on every later call).
    // The line stays valid until the next call.
    virtual SuppliedLine nextLine() = 0;

protected:
    ~LineSupply() = default;
};

}  // namespace gridcmp
