// The cell values of one data row.
#pragma once

namespace gridcmp {

// The program's stated capacity: grids of up to 400 columns.
constexpr int kMaxRowValues = 400;

struct RowValues {
    double values[kMaxRowValues];
    int count = 0;
};

}  // namespace gridcmp
