#include "study/cpuSlots.h"

namespace gridcmp {

void CpuSlots::acquire() {
    std::unique_lock<std::mutex> lock(guard);
    freed.wait(lock, [this] { return free > 0; });
    --free;
}

void CpuSlots::release() {
    {
        std::lock_guard<std::mutex> lock(guard);
        ++free;
    }
    freed.notify_one();
}

}  // namespace gridcmp
