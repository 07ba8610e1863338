// A grid log held in a temporary file, read through a GridLogReader.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "gridlog/GridLogReader.h"

class TestLog {
public:
    explicit TestLog(const std::string& text, const char* name = "test.log")
        : reader_(std::make_unique<GridLogReader>()) {
        std::FILE* file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
        attachLog(*reader_, file, name);
    }
    ~TestLog() { std::fclose(reader_->stream); }
    TestLog(const TestLog&) = delete;
    TestLog& operator=(const TestLog&) = delete;

    GridLogReader& operator*() { return *reader_; }
    GridLogReader* operator->() { return reader_.get(); }

private:
    std::unique_ptr<GridLogReader> reader_;
};

// The current line of a reader as a string.
inline std::string lineOf(const GridLogReader& reader) { return std::string(reader.line, reader.lineLength); }
