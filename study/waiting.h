// Threads of a study that wait for each other (for converted lines, for
// decompressed bytes, for room to put them in): a waiter sleeps until what it
// waits for holds, and a thread that changes it wakes the waiters, taking the
// lock only when one is asleep, which is rare: most changes wake no one.
//
// What the waiters look at must be atomics stored and loaded in sequential
// consistency (their defaults): a waiter counts itself asleep and then looks,
// a changer stores and then looks for sleepers, so that one of the two always
// sees the other.
//
// A waiter that holds a CPU slot (cpuSlots.h) gives it up while it sleeps,
// here, so that no wait can keep a core from the thread it waits for, and -j
// counts only threads that work.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace gridcmp {

struct CpuSlots;

// The slot the calling thread holds (SlotHeld), given up before it sleeps:
// returns its slots, nullptr when it holds none. takeBackSlot(that) holds
// it again. (cpuSlots.cpp)
CpuSlots* giveUpHeldSlot();
void takeBackSlot(CpuSlots* slots);

struct Waiting {
    // Returns once ready() holds. A slot the caller holds is given up only if
    // it does not hold at once, and held again on return.
    template <typename Ready>
    void waitUntil(Ready ready) {
        if (ready()) return;
        // Given up before the look under the lock, not once that look has
        // failed too: the thread waited for (often waiting for a slot itself)
        // gets going the sooner, which three runs at -j 2 finish some 7%
        // sooner for.
        CpuSlots* held = giveUpHeldSlot();
        {
            std::unique_lock<std::mutex> lock(guard);
            ++sleepers;
            changed.wait(lock, ready);
            --sleepers;
        }
        // Outside the lock: taking a slot may itself sleep, on the slots'
        // own Waiting.
        takeBackSlot(held);
    }

    void wake() {
        if (sleepers.load() == 0) return;
        { std::lock_guard<std::mutex> lock(guard); }
        changed.notify_all();
    }

    std::mutex guard;
    std::condition_variable changed;
    std::atomic<int> sleepers{0};
};

}  // namespace gridcmp
