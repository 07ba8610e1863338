// A grid log held in a temporary file, read through a GridLogReader.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "gridlog/GridLogReader.h"

class TestLog {
public:
    explicit TestLog(const std::string& text, const char* name = "test.log")
        : reader_(new gridcmp::GridLogReader) {
        std::FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        stream_ = file;
        attachLog(*reader_, file, name);
    }
    ~TestLog() { std::fclose(stream_); }
    TestLog(const TestLog&) = delete;
    TestLog& operator=(const TestLog&) = delete;

    gridcmp::GridLogReader& operator*() { return *reader_; }
    gridcmp::GridLogReader* operator->() { return reader_.get(); }

private:
    // Not value-initialized: the reader's buffers are megabytes that are never
    // looked at before they are read into.
    std::unique_ptr<gridcmp::GridLogReader> reader_;
    std::FILE* stream_ = nullptr;
};

// The current line of a reader as a string.
inline std::string lineOf(const gridcmp::GridLogReader& reader) { return std::string(reader.line(), reader.lineLength()); }
