#include "study/cpuSlots.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace gridcmp;

// The most threads seen working at once.
struct Holders {
    std::atomic<int> working{0};
    std::atomic<int> most{0};
    void work() {
        int now = ++working;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        --working;
    }
};

// However many threads take slots, no more than N hold one at once, and every
// slot comes back.
TEST(CpuSlots, NeverMoreHoldersThanSlots) {
    for (int n : {1, 2, 3}) {
        CpuSlots slots(n);
        Holders holders;
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 2000; ++i) {
                    SlotHeld held(&slots);
                    holders.work();
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
        EXPECT_LE(holders.most.load(), n) << "-j " << n;
        EXPECT_GE(holders.most.load(), 1);
        EXPECT_EQ(slots.free.load(), n);
    }
}

// Threads that wait for each other, each holding a slot, take turns: a wait
// gives up its slot while it sleeps (at -j 1 the turns could not go round
// otherwise) and holds it again before it returns; a thread that waits
// holding none gives nothing up.
TEST(CpuSlots, AWaitGivesUpItsThreadsSlotWhileItSleeps) {
    for (int n : {1, 2}) {
        const int threadCount = 3;
        const int rounds = 300;
        CpuSlots slots(n);
        Holders holders;
        Waiting waiting;
        std::atomic<int> turn{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back([&, t] {
                SlotHeld held(&slots);
                for (int round = 0; round < rounds; ++round) {
                    waiting.waitUntil([&] { return turn.load() % threadCount == t; });
                    holders.work();
                    ++turn;
                    waiting.wake();
                }
            });
        }
        // This thread holds no slot: its wait takes none from the others.
        waiting.waitUntil([&] { return turn.load() == threadCount * rounds; });
        for (std::thread& thread : threads) thread.join();
        EXPECT_LE(holders.most.load(), n) << "-j " << n;
        EXPECT_EQ(slots.free.load(), n);
    }
}

// A thread that joins another which needs a slot to end gives its own up
// meanwhile.
TEST(CpuSlots, AJoinerGivesUpItsSlot) {
    CpuSlots slots(1);
    SlotHeld held(&slots);
    std::atomic<bool> ran{false};
    std::thread other([&] {
        SlotHeld mine(&slots);
        ran = true;
    });
    {
        SlotGivenUp idle;
        other.join();
    }
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(slots.free.load(), 0);  // this thread's, held again
}

}  // namespace
