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
struct LineFeedReader : LineSupply {
    SuppliedLine nextLine() override;

    LineFeed* feed = nullptr;
    int index = 0;               // among the feed's readers
    std::uint64_t position = 0;  // of the next entry
    std::uint64_t released = 0;  // what the feed has been told this reader is done with
    std::uint64_t seen = 0;      // what the feed had published at the last look
    bool finished = false;       // the log's end was reached: `last` says how, again and again
    SuppliedLine last;
};

struct LineFeed {
    // Reads `source` (as a log named `name`, lines of at most
    // limits.lineCapacity - 1 characters, rows of at most limits.maxRowValues
    // values) for `readers` readers, converting it on a thread of its own
    // that holds one of `slots` while it works (nullptr: no limit).
    LineFeed(ByteSource& source, const char* name, LogLimits limits, int readers, CpuSlots* slots);
    ~LineFeed();
    LineFeed(const LineFeed&) = delete;
    LineFeed& operator=(const LineFeed&) = delete;

    // Reader `index`, from 0 to readers - 1.
    LineFeedReader& reader(int index) { return readers[index]; }

    // A reader that will take no more lines (its run stopped) lets the feed
    // run on without it.
    void leave(int index);

    // The ring's size in bytes.
    std::size_t capacity() const { return ringCapacity; }

    // The converting thread's side.
    void convert();
    std::uint64_t slowestReader() const;
    void publish(std::uint64_t end);
    char* claim(std::size_t bytes);  // room for an entry, waiting for readers

    std::size_t ringCapacity;
    std::unique_ptr<char[]> ring;
    std::unique_ptr<GridLogReader> log;
    LogLimits limits;
    CpuSlots* slots;
    std::vector<LineFeedReader> readers;
    std::unique_ptr<std::atomic<std::uint64_t>[]> readerPositions;  // what each reader is done with
    std::unique_ptr<std::atomic<bool>[]> readerLeft;
    std::atomic<std::uint64_t> published{0};  // entries before this are complete
    std::uint64_t written = 0;                // the converting thread's own end
    Waiting waiting;
    std::thread thread;
};

}  // namespace gridcmp
