// libFuzzer target: one input is one grid log, read by a GridLogReader from
// its bytes and through the study's threaded supply (a LineFeed of one to
// three readers, each on a thread of its own, over a ThreadedSource or not),
// which must give every reader the same lines, values bit for bit (a nan's
// too), kinds of line and ending.
//
// How it is read (the limits, the readers and when each leaves, the ring, the
// pieces the bytes come in, a read failure part way, the CPU slots) is drawn
// from a hash of the input, so that every input, the other target's too, is
// one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "tests/support/memorySource.h"
#include "study/lineFeed.h"
#include "study/threadedSource.h"
#include "tests/lineRecords.h"

namespace {

using namespace gridcmp;

std::uint64_t hashOf(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

// Takes `count` choices off `hash`.
std::size_t draw(std::uint64_t& hash, std::size_t count) {
    std::size_t choice = static_cast<std::size_t>(hash % count);
    hash /= count;
    return choice;
}

void mismatch(const char* what, int reader, std::size_t line) {
    std::fprintf(stderr, "fuzzLineFeed: reader %d: %s at line record %zu\n", reader, what, line);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::uint64_t hash = hashOf(data, size);
    const LogLimits limitChoices[] = {{64, 4}, {200, 16}, {4096, 400}};
    LogLimits limits = limitChoices[draw(hash, 3)];
    int readers = 1 + static_cast<int>(draw(hash, 3));
    const std::size_t chunks[] = {1, 7, 4093, 1 << 16};
    std::size_t chunk = chunks[draw(hash, 4)];
    std::size_t breakAfter = static_cast<std::size_t>(-1);
    if (draw(hash, 4) == 0) breakAfter = draw(hash, size + 1);
    const std::size_t rings[] = {1, 1000, 1 << 16};  // 1: just the longest entry
    std::size_t ring = rings[draw(hash, 3)];
    const std::size_t threadedRings[] = {0, 2, 4099};  // 0: not threaded
    std::size_t threadedRing = threadedRings[draw(hash, 3)];
    int jobs = static_cast<int>(draw(hash, 3));  // 0: no slots
    std::vector<std::size_t> most(readers, static_cast<std::size_t>(-1));
    for (int r = 0; r < readers; ++r) {
        if (draw(hash, 3) == 0) most[r] = draw(hash, 8);  // leaves after so many lines
    }

    std::vector<LineRecord> expected;
    {
        MemorySource direct(bytes, size, chunk, breakAfter);
        std::unique_ptr<GridLogReader> reader(new GridLogReader);
        attachLogSource(*reader, direct, "fuzz.log", limits);
        expected = readerLines(*reader);
    }

    MemorySource inner(bytes, size, chunk, breakAfter);
    CpuSlots slots(jobs);
    CpuSlots* limit = jobs > 0 ? &slots : nullptr;
    std::unique_ptr<ThreadedSource> threaded;
    if (threadedRing > 0) threaded = startThreadedSource(inner, limit, threadedRing);
    ByteSource& source = threaded ? static_cast<ByteSource&>(*threaded) : inner;
    std::unique_ptr<LineFeed> feed = startLineFeed(source, "fuzz.log", limits, readers, limit, ring);
    if (!feed) return 0;  // no thread to be had: nothing to compare
    std::vector<std::vector<LineRecord>> got(readers);
    auto read = [&](int r) {
        SlotHeld held(limit);
        got[r] = supplyLines(feed->reader(r), most[r]);
        feed->leave(r);
    };
    std::vector<std::thread> others;
    for (int r = 1; r < readers; ++r) others.emplace_back(read, r);
    read(0);
    for (std::thread& other : others) other.join();
    feed.reset();
    threaded.reset();

    for (int r = 0; r < readers; ++r) {
        std::size_t wanted = most[r] < expected.size() ? most[r] : expected.size();
        if (got[r].size() != wanted) mismatch("a different number of lines", r, got[r].size());
        for (std::size_t i = 0; i < wanted; ++i) {
            if (got[r][i] != expected[i]) mismatch("a different line", r, i);
        }
    }
    if (jobs > 0 && slots.free.load() != jobs) mismatch("slots not all given back", 0, 0);
    return 0;
}
