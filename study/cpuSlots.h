// How many threads of a study work at the same time (-j N): a thread holds a
// slot while it works and gives it up while it waits for another thread (for
// lines of the original, for decompressed bytes), so that N bounds the cores
// in use however many threads the runs, the original and the decompression
// take.
#pragma once

#include <atomic>

#include "study/waiting.h"

namespace gridcmp {

struct CpuSlots {
    explicit CpuSlots(int slots) : free(slots < 1 ? 1 : slots) {}
    void acquire();
    void release();

    // Taken and given back without a lock while slots are free, which they
    // are but where more threads work than -j allows.
    std::atomic<int> free;
    Waiting waiting;
};

// Holds a slot for its lifetime (nothing when `slots` is nullptr).
struct SlotHeld {
    explicit SlotHeld(CpuSlots* held) : slots(held) {
        if (slots) slots->acquire();
    }
    ~SlotHeld() {
        if (slots) slots->release();
    }
    SlotHeld(const SlotHeld&) = delete;
    SlotHeld& operator=(const SlotHeld&) = delete;
    CpuSlots* slots;
};

// Gives a held slot up for its lifetime, as a thread does while it waits.
struct SlotGivenUp {
    explicit SlotGivenUp(CpuSlots* held) : slots(held) {
        if (slots) slots->release();
    }
    ~SlotGivenUp() {
        if (slots) slots->acquire();
    }
    SlotGivenUp(const SlotGivenUp&) = delete;
    SlotGivenUp& operator=(const SlotGivenUp&) = delete;
    CpuSlots* slots;
};

}  // namespace gridcmp
