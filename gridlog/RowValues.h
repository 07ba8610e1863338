// The cell values of one data row.
#pragma once

#include <memory>

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
    // For a client that asks (by allocating unitStorage, as large as
    // storage): the power of ten of each value's token's last digit
    // (cellValueAndUnitPower), where the reader converted the row itself;
    // nullptr where it did not (a supply converted the line).
    std::unique_ptr<int[]> unitStorage;
    const int* unitPowers = nullptr;
};

}  // namespace gridcmp
