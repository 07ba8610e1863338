#include "platform/memoryReserve.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace gridcmp {

namespace {

// Enough for the exception and the messages built on the way out, many
// times over; small beside any buffer of a log.
constexpr std::size_t kReserveBytes = 64 * 1024;

std::atomic<void*> reserve{nullptr};

// Called by operator new when the system gives no more: the failed
// allocation is not retried (it would only take the reserve), it fails.
void releaseReserve() {
    std::free(reserve.exchange(nullptr));
    throw std::bad_alloc();
}

}  // namespace

bool holdMemoryReserve() {
    void* memory = std::malloc(kReserveBytes);
    if (!memory) return false;
    reserve.store(memory);
    std::set_new_handler(releaseReserve);
    return true;
}

}  // namespace gridcmp
