#include "study/lineFeed.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "study/parallelRuns.h"

namespace gridcmp {

namespace {

// Entries follow each other in the ring, each 8-byte aligned: this header,
// the line's text with its NUL and read-ahead room, then its values. An
// entry never wraps: where the ring's end leaves no room for it, a wrap
// entry (or, with less room than a header, nothing) fills the rest.
struct EntryHeader {
    std::uint32_t kind;          // SuppliedLine::Kind, or kWrap
    std::uint8_t unterminated;
    std::uint8_t terminator;
    std::uint8_t timeLine;
    std::uint8_t unused;
    std::uint64_t length;        // of the text
    std::int32_t valueCount;
    std::int32_t systemError;
    std::uint64_t size;          // of the whole entry
};

constexpr std::uint32_t kWrap = 1000;
// The converting thread makes what it wrote visible, and readers say what
// they are done with, this many bytes at a time at most (LineFeed::batchBytes).
constexpr std::uint64_t kBatchBytes = 1 << 20;

std::size_t aligned(std::size_t bytes) { return (bytes + 7) & ~static_cast<std::size_t>(7); }

std::size_t textBytes(std::size_t length) { return aligned(length + 1 + kLineReadAhead); }

std::uint64_t slowestReader(const LineFeed& feed) {
    std::uint64_t slowest = feed.written;
    for (std::size_t i = 0; i < feed.readers.size(); ++i) {
        if (!feed.readerLeft[i]) slowest = std::min<std::uint64_t>(slowest, feed.readerPositions[i]);
    }
    return slowest;
}

void publish(LineFeed& feed, std::uint64_t end) {
    feed.published.store(end);
    feed.waiting.wake();
}

// The feed's source as its thread reads it: what is converted is made
// visible before each read, which may wait (for a pipe's writer), so that
// readers never wait for lines that are there (and a run that would stop
// on them does).
struct PublishingSource : ByteSource {
    std::size_t read(char* buffer, std::size_t capacity) override {
        if (feed->written != feed->published.load(std::memory_order_relaxed)) publish(*feed, feed->written);
        std::size_t got = inner->read(buffer, capacity);
        if (got == 0 && inner->failed()) setSourceFailure(*this, inner->systemError, inner->failure);
        return got;
    }
    LineFeed* feed = nullptr;
    ByteSource* inner = nullptr;
};

// Room for an entry of `bytes`, waiting for readers to be done with it.
char* claim(LineFeed& feed, std::size_t bytes) {
    const std::size_t capacity = feed.ringCapacity;
    for (;;) {
        std::size_t offset = feed.written % capacity;
        std::size_t tail = capacity - offset;
        // An entry never wraps: the ring's end is left, as a wrap, first.
        std::size_t wanted = tail < bytes ? tail : bytes;
        auto roomy = [&] { return feed.written + wanted - slowestReader(feed) <= capacity; };
        if (!roomy()) {
            publish(feed, feed.written);  // readers may be waiting for what is there
            feed.waiting.waitUntil(roomy);
        }
        if (tail >= bytes) return feed.ring.get() + offset;
        if (tail >= sizeof(EntryHeader)) {
            EntryHeader wrap{kWrap, 0, 0, 0, 0, 0, 0, 0, tail};
            std::memcpy(feed.ring.get() + offset, &wrap, sizeof wrap);
        }
        feed.written += tail;
    }
}

bool everyoneLeft(const LineFeed& feed) {
    for (std::size_t i = 0; i < feed.readers.size(); ++i) {
        if (!feed.readerLeft[i]) return false;
    }
    return true;
}

// The converting thread.
void convert(LineFeed& feed) {
    SlotHeld held(feed.slots);
    GridLogReader& from = *feed.log;
    for (;;) {
        if (everyoneLeft(feed)) return;  // no one reads on: no need to convert the rest

        readLine(from);
        EntryHeader header{};
        const char* text = from.line();
        std::size_t length = from.lineLength();
        std::size_t valueRoom = 0;
        if (from.state() == LogState::reading) {
            header.kind = SuppliedLine::line;
            header.unterminated = from.unterminatedLastLine() == from.lineNumber();
            header.terminator = isBlockTerminator(from);
            header.timeLine = isTimeLine(from);
            valueRoom = sizeof(double) * static_cast<std::size_t>(feed.limits.maxRowValues);
        } else {
            switch (from.state()) {
                case LogState::ended: header.kind = SuppliedLine::ended; break;
                case LogState::lineTooLong: header.kind = SuppliedLine::lineTooLong; break;
                case LogState::unopened: header.kind = SuppliedLine::unopened; break;
                default: header.kind = SuppliedLine::readError; break;
            }
            header.systemError = from.systemError();
            text = from.failure();  // the reason, for a read error
            length = std::strlen(text);
        }
        header.length = length;
        // Room for the most values the line can have (a value and a blank
        // take two characters at least); the values are converted straight
        // into the ring, and the entry keeps only what they need.
        std::size_t mostValues = length / 2 + 1;
        if (valueRoom > sizeof(double) * mostValues) valueRoom = sizeof(double) * mostValues;
        char* entry = claim(feed, sizeof header + textBytes(length) + valueRoom);
        char* textAt = entry + sizeof header;
        std::memcpy(textAt, text, length);
        std::memset(textAt + length, 0, textBytes(length) - length);
        double* valuesAt = reinterpret_cast<double*>(textAt + textBytes(length));
        if (header.kind == SuppliedLine::line) header.valueCount = parseRowValues(from, true, valuesAt);
        std::size_t valueBytes = header.valueCount > 0 ? sizeof(double) * header.valueCount : 0;
        header.size = sizeof header + textBytes(length) + valueBytes;
        std::memcpy(entry, &header, sizeof header);
        feed.written += header.size;
        if (header.kind != SuppliedLine::line) {
            publish(feed, feed.written);
            return;
        }
        if (feed.written - feed.published.load(std::memory_order_relaxed) >= feed.batchBytes) {
            publish(feed, feed.written);
        }
    }
}

}  // namespace

std::unique_ptr<LineFeed> startLineFeed(ByteSource& source, const char* name, LogLimits limits, int readerCount,
                                        CpuSlots* slots, std::size_t ringBytes) {
    std::unique_ptr<LineFeed> feed(new (std::nothrow) LineFeed);
    if (!feed) {
        errno = ENOMEM;
        return nullptr;
    }
    feed->limits = limits;
    feed->slots = slots;
    std::size_t longest = sizeof(EntryHeader) + textBytes(limits.lineCapacity) +
                          sizeof(double) * static_cast<std::size_t>(limits.maxRowValues);
    // The study's ring: room for the longest entry and a mebibyte, small
    // enough to stay in the caches that the two threads share (a larger ring
    // lets the converting thread run so far ahead that its lines are gone
    // from them by the time they are read), never less than 4 MiB.
    if (ringBytes == 0) ringBytes = std::max<std::size_t>(std::size_t{4} << 20, longest + (std::size_t{1} << 20));
    feed->ringCapacity = aligned(std::max(ringBytes, longest));
    // Waking another thread costs far more than a line; a small ring is
    // handed over more often, so that the thread and the readers still
    // overlap.
    feed->batchBytes = std::min<std::uint64_t>(kBatchBytes, std::max<std::size_t>(feed->ringCapacity / 4, 1));
    // Not value-initialized: only what is written is ever read.
    feed->ring.reset(new (std::nothrow) char[feed->ringCapacity]);
    if (!feed->ring) {
        errno = ENOMEM;
        return nullptr;
    }
    try {
        feed->readers.resize(readerCount);
        feed->readerPositions.reset(new std::atomic<std::uint64_t>[readerCount]);
        feed->readerLeft.reset(new std::atomic<bool>[readerCount]);
        for (int i = 0; i < readerCount; ++i) {
            feed->readers[i].feed = feed.get();
            feed->readers[i].index = i;
            feed->readerPositions[i] = 0;
            feed->readerLeft[i] = false;
        }
        PublishingSource* publishing = new PublishingSource;
        feed->source.reset(publishing);
        publishing->feed = feed.get();
        publishing->inner = &source;
        feed->log.reset(new GridLogReader);
        attachLogSource(*feed->log, *publishing, name, limits);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return nullptr;
    }
    LineFeed* started = feed.get();
    if (!startThread(feed->thread, [started] { convert(*started); })) return nullptr;
    return feed;
}

LineFeed::~LineFeed() {
    if (!thread.joinable()) return;  // it never started
    for (int i = 0; i < static_cast<int>(readers.size()); ++i) leave(i);
    // The thread may need a slot to see it: a joiner's is given up meanwhile.
    SlotGivenUp idle;
    thread.join();
}

void LineFeed::leave(int index) {
    readerLeft[index] = true;
    waiting.wake();
}

SuppliedLine LineFeedReader::nextLine() {
    if (finished) return last;
    LineFeed& from = *feed;
    const std::size_t capacity = from.ringCapacity;
    for (;;) {
        if (position - released >= from.batchBytes) {
            released = position;
            from.readerPositions[index].store(position);
            from.waiting.wake();
        }
        std::size_t offset = position % capacity;
        if (capacity - offset < sizeof(EntryHeader)) {
            position += capacity - offset;
            continue;
        }
        if (position >= seen) {
            seen = from.published.load();
            if (position >= seen) {
                // Done with everything there: say so, and wait for more.
                released = position;
                from.readerPositions[index].store(position);
                from.waiting.wake();
                from.waiting.waitUntil([&] { return from.published.load() > position; });
                seen = from.published.load();
            }
        }
        EntryHeader header;
        std::memcpy(&header, from.ring.get() + offset, sizeof header);
        if (header.kind == kWrap) {
            position += header.size;
            continue;
        }
        const char* text = from.ring.get() + offset + sizeof header;
        SuppliedLine line;
        line.kind = static_cast<SuppliedLine::Kind>(header.kind);
        if (line.kind == SuppliedLine::line) {
            line.text = text;
            line.length = header.length;
            line.unterminated = header.unterminated != 0;
            line.classified = true;
            line.terminator = header.terminator != 0;
            line.timeLine = header.timeLine != 0;
            line.valueCount = header.valueCount;
            line.values = reinterpret_cast<const double*>(text + textBytes(header.length));
            position += header.size;  // released at the next call, or later: the line stays where it is
            return line;
        }
        line.systemError = header.systemError;
        line.reason = text;  // stays: the converting thread has ended
        last = line;
        finished = true;
        return last;
    }
}

}  // namespace gridcmp
