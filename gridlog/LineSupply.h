// Lines of a grid log read and converted elsewhere (another thread, once for
// several readers), handed to a reader one at a time: each as the reader
// would have read it from the bytes, with its values as a data row already
// worked out.
#pragma once

#include <cstddef>

namespace gridcmp {

struct SuppliedLine {
    enum Kind {
        line,         // a line of the log
        ended,        // the log has no more lines
        lineTooLong,  // the next line is longer than the readers' limit
        readError,    // the bytes stopped coming part way: systemError and reason say why
        unopened,     // the log gave nothing at all (a folder, say)
    } kind = ended;
    // A line's text: `length` bytes up to its first NUL or its end, followed
    // by a NUL and readable bytes for the row split to read ahead.
    const char* text = "";
    std::size_t length = 0;
    bool unterminated = false;  // the log's last line, which had no newline
    bool terminator = false;    // isBlockTerminator of the line
    bool timeLine = false;      // isTimeLine of the line
    // The line read as a data row, its first token (the row label) dropped;
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
