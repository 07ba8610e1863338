#include "study/cpuSlots.h"

namespace gridcmp {

namespace {

// The slots one of which this thread holds, while it holds it.
thread_local CpuSlots* slotsHeld = nullptr;

bool take(std::atomic<int>& free) {
    int slots = free.load();
    while (slots > 0) {
        if (free.compare_exchange_weak(slots, slots - 1)) return true;
    }
    return false;
}

// Waits, holding none, for a slot of `slots`.
void takeSlot(CpuSlots& slots) {
    while (!take(slots.free)) slots.waiting.waitUntil([&slots] { return slots.free.load() > 0; });
}

void giveUpSlot(CpuSlots& slots) {
    ++slots.free;
    slots.waiting.wake();
}

}  // namespace

CpuSlots* giveUpHeldSlot() {
    CpuSlots* slots = slotsHeld;
    if (slots) {
        slotsHeld = nullptr;
        giveUpSlot(*slots);
    }
    return slots;
}

void takeBackSlot(CpuSlots* slots) {
    if (!slots) return;
    takeSlot(*slots);
    slotsHeld = slots;
}

SlotHeld::SlotHeld(CpuSlots* held) : slots(held) { takeBackSlot(slots); }

SlotHeld::~SlotHeld() {
    if (slots) {
        slotsHeld = nullptr;
        giveUpSlot(*slots);
    }
}

}  // namespace gridcmp
