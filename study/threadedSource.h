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

// What the reading thread and the reader share; made by startThreadedSource.
struct ThreadedSource : ByteSource {
    ThreadedSource() = default;
    // The thread is joined (a slot the caller holds given up meanwhile): a
    // read of the inner source it may wait in (a pipe's) must have been
    // stopped (studySource.h).
    ~ThreadedSource() override;
    std::size_t read(char* buffer, std::size_t capacity) override;

    ByteSource* inner = nullptr;
    CpuSlots* slots = nullptr;
    std::size_t ringCapacity = 0;
    std::size_t pieceBytes = 0;              // what the thread reads and hands over at a time
    std::unique_ptr<char[]> ring;
    std::atomic<std::uint64_t> filled{0};    // bytes the thread has put in
    std::atomic<std::uint64_t> taken{0};     // bytes the reader has taken out
    std::atomic<bool> innerEnded{false};     // the thread has read all there is (or failed)
    std::atomic<bool> stopping{false};       // the reader is gone
    Waiting waiting;
    std::thread thread;
};

// Starts reading `inner` (which must outlive the source) on a thread that
// holds one of `slots` while it works (nullptr: no limit), `capacity` bytes
// ahead at most (at least 2). nullptr when the thread or the ring cannot be
// had, errno saying why (EAGAIN, ENOMEM).
std::unique_ptr<ThreadedSource> startThreadedSource(ByteSource& inner, CpuSlots* slots,
                                                    std::size_t capacity = std::size_t{4} << 20);

}  // namespace gridcmp
