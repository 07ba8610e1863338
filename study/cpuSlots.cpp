#include "study/cpuSlots.h"

namespace gridcmp {

namespace {

bool take(std::atomic<int>& free) {
    int slots = free.load();
    while (slots > 0) {
        if (free.compare_exchange_weak(slots, slots - 1)) return true;
    }
    return false;
}

}  // namespace

void CpuSlots::acquire() {
    while (!take(free)) waiting.waitUntil([this] { return free.load() > 0; });
}

void CpuSlots::release() {
    ++free;
    waiting.wake();
}

}  // namespace gridcmp
