#include "study/parallelRuns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

using namespace gridcmp;

// All at once: every call sees every other started, so that runs that wait
// for each other (the original read once for all) never wait for one that
// has not begun.
TEST(RunAllAtOnce, CallsEveryIndexOnceAllAtTheSameTime) {
    for (int count : {0, 1, 2, 7, 64}) {
        std::vector<std::atomic<int>> calls(count);
        std::atomic<int> started{0};
        ASSERT_TRUE(runAllAtOnce(count, [&](int index) {
            ++calls[index];
            ++started;
            while (started.load() < count) {
            }
        }));
        for (int i = 0; i < count; ++i) ASSERT_EQ(calls[i], 1) << count << " runs";
    }
    EXPECT_GE(usableProcessors(), 1);
}

}  // namespace
