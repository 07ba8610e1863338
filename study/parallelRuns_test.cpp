#include "study/parallelRuns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

using namespace gridcmp;

TEST(RunInParallel, GivesEveryIndexToExactlyOneCall) {
    for (int count : {0, 1, 2, 7, 100}) {
        for (int jobs : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> calls(count);
            runInParallel(count, jobs, [&calls](int index) { ++calls[index]; });
            for (int i = 0; i < count; ++i) ASSERT_EQ(calls[i], 1) << count << " runs, " << jobs << " jobs";
        }
    }
    EXPECT_GE(usableProcessors(), 1);
}

}  // namespace
