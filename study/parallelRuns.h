// Runs of a study side by side, one thread each.
#pragma once

#include <functional>

namespace gridcmp {

// The CPUs this process may run on (its affinity mask, where the system has
// one), at least 1.
int usableProcessors();

// Calls work(0) ... work(count - 1), up to `jobs` of them at the same time,
// and returns when all are done. Each index is given to exactly one call.
void runInParallel(int count, int jobs, const std::function<void(int)>& work);

}  // namespace gridcmp
