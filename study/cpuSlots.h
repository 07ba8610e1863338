// How many threads of a study work at the same time (-j N): a thread holds a
// slot while it works and gives it up while it waits, for another thread (for
// lines of the original, for decompressed bytes: Waiting::waitUntil) or for
// the bytes of a pipe (stoppableSource.h), so that N bounds the cores in use
// however many threads the runs, the original and the decompression take.
//
// Which slots a thread holds is the thread's own (SlotHeld says it), so that
// a wait gives up the slot of the thread that waits, whatever it waits in.
#pragma once

#include <atomic>

#include "study/waiting.h"

namespace gridcmp {

struct CpuSlots {
    explicit CpuSlots(int slots) : free(slots < 1 ? 1 : slots) {}
    // Taken and given back without a lock while slots are free, which they
    // are but where more threads work than -j allows.
    std::atomic<int> free;
    Waiting waiting;
};

// Holds one of `slots` for its lifetime, on the calling thread, which holds
// no other (nothing when `slots` is nullptr).
struct SlotHeld {
    explicit SlotHeld(CpuSlots* slots);
    ~SlotHeld();
    SlotHeld(const SlotHeld&) = delete;
    SlotHeld& operator=(const SlotHeld&) = delete;
    CpuSlots* slots;
};

// Gives up the slot the calling thread holds for its lifetime, as a thread
// does while it joins threads that may need one to end.
struct SlotGivenUp {
    SlotGivenUp() : slots(giveUpHeldSlot()) {}
    ~SlotGivenUp() { takeBackSlot(slots); }
    SlotGivenUp(const SlotGivenUp&) = delete;
    SlotGivenUp& operator=(const SlotGivenUp&) = delete;
    CpuSlots* slots;
};

}  // namespace gridcmp
