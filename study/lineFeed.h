// One grid log read and converted once, on a thread of its own, for one
// reader or several: every line with its values as a data row, in a fixed
// ring that each reader takes lines from at its own pace. The thread runs
// ahead of the slowest reader by at most the ring; a reader waits only for
// lines not yet converted. Memory stays the ring's, whatever the log's size
// and the readers' number.
//
// This is how a study reads the original log once for all its runs, and how
// one run converts its two logs on two cores.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "gridlog/ByteSource.h"
#include "gridlog/GridLogReader.h"
#include "gridlog/LineSupply.h"
#include "study/cpuSlots.h"
#include "study/waiting.h"

namespace gridcmp {

struct LineFeed;

// One reader's place in the feed.
struct LineFeedReader final : LineSupply {
    SuppliedLine nextLine() override;

    LineFeed* feed = nullptr;
    int index = 0;               // among the feed's readers
    std::uint64_t position = 0;  // of the next entry
    std::uint64_t released = 0;  // what the feed has been told this reader is done with
    std::uint64_t seen = 0;      // what the feed had published at the last look
    bool finished = false;       // the log's end was reached: `last` says how, again and again
    SuppliedLine last;
};

// What the converting thread and the readers share; made by startLineFeed.
struct LineFeed {
    LineFeed() = default;
    // Every reader leaves, and the thread is joined (a slot the caller holds
    // given up meanwhile): a read of the source it may wait in (a pipe's)
    // must have been stopped (studySource.h).
    ~LineFeed();
    LineFeed(const LineFeed&) = delete;
    LineFeed& operator=(const LineFeed&) = delete;

    // Reader `index`, from 0 to readers - 1.
    LineFeedReader& reader(int index) { return readers[index]; }

    // A reader that will take no more lines (its run stopped) lets the feed
    // run on without it; once all have left, the thread stops converting.
    void leave(int index);

    std::size_t ringCapacity = 0;
    std::uint64_t batchBytes = 0;  // made visible, and said done with, this many at a time
    std::unique_ptr<char[]> ring;
    std::unique_ptr<ByteSource> source;  // the source given, as the thread reads it
    std::unique_ptr<GridLogReader> log;
    LogLimits limits;
    CpuSlots* slots = nullptr;
    std::vector<LineFeedReader> readers;
    std::unique_ptr<std::atomic<std::uint64_t>[]> readerPositions;  // what each reader is done with
    std::unique_ptr<std::atomic<bool>[]> readerLeft;
    std::atomic<std::uint64_t> published{0};  // entries before this are complete
    std::uint64_t written = 0;                // the converting thread's own end
    Waiting waiting;
    std::thread thread;
};

// Starts reading `source` (as a log named `name`, lines of at most
// limits.lineCapacity - 1 characters, rows of at most limits.maxRowValues
// values) for `readers` readers, converting it on a thread of its own that
// holds one of `slots` while it works (nullptr: no limit), in a ring of
// `ringBytes` (0: the study's size; never less than the longest line's
// entry). `source` and `name` must outlive the feed. nullptr when the thread
// or the ring cannot be had, errno saying why (EAGAIN, ENOMEM).
std::unique_ptr<LineFeed> startLineFeed(ByteSource& source, const char* name, LogLimits limits, int readers,
                                        CpuSlots* slots, std::size_t ringBytes = 0);

}  // namespace gridcmp
