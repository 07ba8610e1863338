// The file of --row-weights: one weight per row of a block.
#pragma once

#include <string>
#include <vector>

#include "compare/BlockStatistics.h"

namespace gridcmp {

// Reads weights from `path`, one number a line (blanks around it allowed),
// row 1 first, into `values`. False, with `error` saying why, for a file
// that cannot be read, a line that is not a number, a weight that is
// negative, nan or infinite, more lines than a block's rows can be weighed
// (kMaxWeighedRows), or no weight above 0.
bool readRowWeights(const char* path, std::vector<double>& values, std::string* error);

}  // namespace gridcmp
