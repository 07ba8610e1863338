// A byte source read on a thread of its own (the decompression of a log),
// handed over through a fixed ring, so that decompressing and converting a
// log take two cores.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "gridlog/ByteSource.h"
#include "study/cpuSlots.h"
#include "study/waiting.h"

namespace gridcmp {

struct ThreadedSource : ByteSource {
    // Reads `inner` (which must outlive it) on a thread that holds one of
    // `slots` while it works (nullptr: no limit), `capacity` bytes ahead at
    // most.
    ThreadedSource(ByteSource& inner, CpuSlots* slots, std::size_t capacity = std::size_t{4} << 20);
    ~ThreadedSource() override;
    std::size_t read(char* buffer, std::size_t capacity) override;

    void fill();

    ByteSource& inner;
    CpuSlots* slots;
    std::size_t ringCapacity;
    std::unique_ptr<char[]> ring;
    std::atomic<std::uint64_t> filled{0};    // bytes the thread has put in
    std::atomic<std::uint64_t> taken{0};     // bytes the reader has taken out
    std::atomic<bool> innerEnded{false};     // the thread has read all there is (or failed)
    std::atomic<bool> stopping{false};       // the reader is gone
    Waiting waiting;
    std::thread thread;
};

}  // namespace gridcmp
