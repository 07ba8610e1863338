// The cell values of one data row.
#pragma once

#include <cstdint>
#include <memory>

#include "gridlog/tokenDecimal.h"

namespace gridcmp {

// gridcmp's stated capacity: grids of up to 400 columns.
constexpr int kMaxRowValues = 400;

struct RowValues {
    explicit RowValues(int capacity = kMaxRowValues) : storage(new double[capacity]), values(storage.get()) {}
    std::unique_ptr<double[]> storage;  // not cleared: only the values set are ever read
    // The row's values: in `storage`, or where a supply of converted lines
    // keeps them (valid until the reader's next line).
    const double* values;
    int count = 0;
    // For a client that asks (by allocating decimalStorage, as large as
    // storage): the decimal each value's token was written as
    // (cellValueAndDecimal), where the reader converted the row itself;
    // nullptr where it did not (a supply converted the line).
    std::unique_ptr<CellDecimal[]> decimalStorage;
    const CellDecimal* decimals = nullptr;
    // Where each value's token starts in the reader's line, where the reader
    // split the row itself (valid until its next line); else nullptr.
    const std::uint32_t* tokenStarts = nullptr;
};

}  // namespace gridcmp
