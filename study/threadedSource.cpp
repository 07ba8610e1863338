#include "study/threadedSource.h"

#include <algorithm>
#include <cstring>

namespace gridcmp {

namespace {

constexpr std::size_t kPieceBytes = 1 << 18;  // what the thread reads and hands over at a time

}  // namespace

ThreadedSource::ThreadedSource(ByteSource& innerSource, CpuSlots* cpuSlots, std::size_t capacity)
    : inner(innerSource), slots(cpuSlots), ringCapacity(std::max(capacity, 2 * kPieceBytes)),
      ring(new char[ringCapacity]) {
    thread = std::thread([this] { fill(); });
}

ThreadedSource::~ThreadedSource() {
    stopping = true;
    waiting.wake();
    thread.join();
}

void ThreadedSource::fill() {
    SlotHeld held(slots);
    for (;;) {
        std::uint64_t end = filled.load(std::memory_order_relaxed);
        auto roomy = [&] { return stopping || end - taken.load() + kPieceBytes <= ringCapacity; };
        if (!roomy()) {
            waiting.waitUntil(roomy);
        }
        if (stopping) return;
        std::size_t offset = end % ringCapacity;
        std::size_t piece = std::min(kPieceBytes, ringCapacity - offset);  // never across the ring's end
        std::size_t got = inner.read(ring.get() + offset, piece);
        if (got > 0) filled.store(end + got);
        if (got == 0) {
            if (inner.failed()) setSourceFailure(*this, inner.systemError, inner.failure);
            innerEnded.store(true);
        }
        waiting.wake();
        if (got == 0) return;
    }
}

std::size_t ThreadedSource::read(char* buffer, std::size_t capacity) {
    std::uint64_t start = taken.load(std::memory_order_relaxed);
    auto ready = [&] { return filled.load() > start || innerEnded.load(); };
    if (!ready()) {
        waiting.waitUntil(ready);
    }
    std::uint64_t end = filled.load();
    if (end == start) return 0;  // the thread has ended: failed() says whether cleanly
    std::size_t offset = start % ringCapacity;
    std::size_t count = std::min<std::uint64_t>({capacity, end - start, ringCapacity - offset});
    std::memcpy(buffer, ring.get() + offset, count);
    taken.store(start + count);
    waiting.wake();
    return count;
}

}  // namespace gridcmp
