// The four error sums of a comparison run.
#pragma once

#include <memory>

#include "gridlog/RowValues.h"
#include "platform/exactDoubles.h"

namespace gridcmp {

struct ErrorAccumulators {
    double blockRelative = 0.0;  // |1 - s/q| over the current block
    double totalRelative = 0.0;  // |1 - s/q| since the start
    double blockAbsolute = 0.0;  // |s - q| over the current block
    double totalAbsolute = 0.0;  // |s - q| since the start
};

// The error terms of one row's cells: |1 - s/q| and |s - q|. A zero q gives
// inf, or nan when s is zero too.
struct RowTerms {
    explicit RowTerms(int capacity = kMaxRowValues)
        : relativeStorage(new double[capacity]), absoluteStorage(new double[capacity]),
          relative(relativeStorage.get()), absolute(absoluteStorage.get()) {}
    std::unique_ptr<double[]> relativeStorage;
    std::unique_ptr<double[]> absoluteStorage;
    double* relative;
    double* absolute;
};

// Works out the terms of the cell pairs of one row, s from the original run
// and q from the quantized run, values[0..count).
void computeRowTerms(RowTerms& terms, const double* s, const double* q, int count);

// Adds the terms to the sums, cell by cell, in cell order, in double
// precision: the report's ten digits show any reordering.
void addRowTerms(ErrorAccumulators& sums, const RowTerms& terms, int count);


// Starts the next block: the running totals carry on.
inline void startNextBlock(ErrorAccumulators& sums) {
    sums.blockRelative = 0.0;
    sums.blockAbsolute = 0.0;
}

}  // namespace gridcmp
