#include "study/threadedSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "study/parallelRuns.h"

namespace gridcmp {

namespace {

// What the thread reads and hands over at a time, at most: a ring holds two
// pieces at least, so that the reader takes one while the next comes.
constexpr std::size_t kPieceBytes = 1 << 18;

// The reading thread.
void fill(ThreadedSource& source) {
    SlotHeld held(source.slots);
    for (;;) {
        std::uint64_t end = source.filled.load(std::memory_order_relaxed);
        source.waiting.waitUntil([&] {
            return source.stopping || end - source.taken.load() + source.pieceBytes <= source.ringCapacity;
        });
        if (source.stopping) return;
        std::size_t offset = end % source.ringCapacity;
        // Never across the ring's end.
        std::size_t piece = std::min(source.pieceBytes, source.ringCapacity - offset);
        std::size_t got = source.inner->read(source.ring.get() + offset, piece);
        if (got > 0) source.filled.store(end + got);
        if (got == 0) {
            if (source.inner->failed()) setSourceFailure(source, source.inner->systemError, source.inner->failure);
            source.innerEnded.store(true);
        }
        source.waiting.wake();
        if (got == 0) return;
    }
}

}  // namespace

std::unique_ptr<ThreadedSource> startThreadedSource(ByteSource& inner, CpuSlots* slots, std::size_t capacity) {
    std::unique_ptr<ThreadedSource> source(new (std::nothrow) ThreadedSource);
    if (source) {
        source->inner = &inner;
        source->slots = slots;
        source->ringCapacity = std::max<std::size_t>(capacity, 2);
        source->pieceBytes = std::min(kPieceBytes, source->ringCapacity / 2);
        source->ring.reset(new (std::nothrow) char[source->ringCapacity]);
    }
    if (!source || !source->ring) {
        errno = ENOMEM;
        return nullptr;
    }
    ThreadedSource* started = source.get();
    if (!startThread(source->thread, [started] { fill(*started); })) return nullptr;
    return source;
}

ThreadedSource::~ThreadedSource() {
    if (!thread.joinable()) return;  // it never started
    stopping = true;
    waiting.wake();
    // The thread may need a slot to see it: a joiner's is given up meanwhile.
    SlotGivenUp idle;
    thread.join();
}

std::size_t ThreadedSource::read(char* buffer, std::size_t capacity) {
    std::uint64_t start = taken.load(std::memory_order_relaxed);
    waiting.waitUntil([&] { return filled.load() > start || innerEnded.load(); });
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
