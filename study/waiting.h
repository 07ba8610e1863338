// Threads of a study that wait for each other (for converted lines, for
// decompressed bytes, for room to put them in): a waiter sleeps until what it
// waits for holds, and a thread that changes it wakes the waiters, taking the
// lock only when one is asleep, which is rare: most changes wake no one.
//
// What the waiters look at must be atomics stored and loaded in sequential
// consistency (their defaults): a waiter counts itself asleep and then looks,
// a changer stores and then looks for sleepers, so that one of the two always
// sees the other.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace gridcmp {

struct Waiting {
    template <typename Ready>
    void waitUntil(Ready ready) {
        std::unique_lock<std::mutex> lock(guard);
        ++sleepers;
        changed.wait(lock, ready);
        --sleepers;
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
