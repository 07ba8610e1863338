// The lines of a log in one form, whether a GridLogReader read them from the
// bytes or a LineSupply handed them over converted: for checking that a
// supply gives what the reader itself would have read.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "gridlog/GridLogReader.h"
#include "gridlog/LineSupply.h"

struct LineRecord {
    int kind = gridcmp::SuppliedLine::ended;
    std::string text;  // the line, or why the log ended (a read error's reason)
    bool unterminated = false;
    bool terminator = false;
    bool timeLine = false;
    int valueCount = 0;                    // -1: more than the limit
    std::vector<std::uint64_t> valueBits;  // bit for bit: a nan's payload, -0
    int systemError = 0;

    bool operator==(const LineRecord& other) const {
        return kind == other.kind && text == other.text && unterminated == other.unterminated &&
               terminator == other.terminator && timeLine == other.timeLine && valueCount == other.valueCount &&
               valueBits == other.valueBits && systemError == other.systemError;
    }
    bool operator!=(const LineRecord& other) const { return !(*this == other); }
};

inline std::vector<std::uint64_t> bitsOf(const double* values, int count) {
    std::vector<std::uint64_t> bits(count > 0 ? count : 0);
    if (count > 0) std::memcpy(bits.data(), values, sizeof(double) * count);
    return bits;
}

// The lines `reader` reads, up to `most`, then how its log ends (the last
// record, when it ends before).
inline std::vector<LineRecord> readerLines(gridcmp::GridLogReader& reader,
                                           std::size_t most = std::numeric_limits<std::size_t>::max()) {
    using gridcmp::LogState;
    using gridcmp::SuppliedLine;
    std::vector<LineRecord> lines;
    std::unique_ptr<double[]> values(new double[reader.limits().maxRowValues]);
    while (lines.size() < most) {
        gridcmp::readLine(reader);
        LineRecord line;
        if (reader.state() == LogState::reading) {
            line.kind = SuppliedLine::line;
            line.text.assign(reader.line(), reader.lineLength());
            line.unterminated = reader.unterminatedLastLine() == reader.lineNumber();
            line.terminator = gridcmp::isBlockTerminator(reader);
            line.timeLine = gridcmp::isTimeLine(reader);
            line.valueCount = gridcmp::parseRowValues(reader, true, values.get());
            line.valueBits = bitsOf(values.get(), line.valueCount);
            lines.push_back(line);
            continue;
        }
        line.kind = reader.state() == LogState::ended         ? SuppliedLine::ended
                    : reader.state() == LogState::lineTooLong ? SuppliedLine::lineTooLong
                    : reader.state() == LogState::unopened    ? SuppliedLine::unopened
                                                            : SuppliedLine::readError;
        line.text = reader.failure();
        line.systemError = reader.systemError();
        lines.push_back(line);
        break;
    }
    return lines;
}

inline LineRecord recordOf(const gridcmp::SuppliedLine& supplied) {
    LineRecord line;
    line.kind = supplied.kind;
    if (supplied.kind != gridcmp::SuppliedLine::line) {
        line.text = supplied.reason;
        line.systemError = supplied.systemError;
        return line;
    }
    line.text.assign(supplied.text, supplied.length);
    line.unterminated = supplied.unterminated;
    line.terminator = supplied.terminator;
    line.timeLine = supplied.timeLine;
    line.valueCount = supplied.valueCount;
    line.valueBits = bitsOf(supplied.values, supplied.valueCount);
    return line;
}

// The lines `supply` gives, up to `most`, then how its log ends (the last
// record, when it ends before).
inline std::vector<LineRecord> supplyLines(gridcmp::LineSupply& supply,
                                           std::size_t most = std::numeric_limits<std::size_t>::max()) {
    std::vector<LineRecord> lines;
    while (lines.size() < most) {
        lines.push_back(recordOf(supply.nextLine()));
        if (lines.back().kind != gridcmp::SuppliedLine::line) break;
    }
    return lines;
}
