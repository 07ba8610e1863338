#include "study/lineFeed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/memorySource.h"
#include "tests/lineRecords.h"

namespace {

using namespace gridcmp;

// Small limits, so that lines and rows reach them, and a ring only a few
// lines long.
constexpr LogLimits kLimits{200, 16};

// How many threads work at once: the most seen.
struct Holders {
    std::atomic<int> working{0};
    std::atomic<int> most{0};
};

// Counts its caller as working for its lifetime.
struct Working {
    explicit Working(Holders& counted) : holders(counted) {
        int now = ++holders.working;
        int most = holders.most.load();
        while (now > most && !holders.most.compare_exchange_weak(most, now)) {
        }
    }
    ~Working() { --holders.working; }
    Holders& holders;
};

// The bytes of a log, its reading counted as work (the converting thread
// holds a slot while it reads).
struct CountedSource : ByteSource {
    CountedSource(const std::string& log, std::size_t chunk, std::size_t breakAfter, Holders& counted)
        : bytes(log.data(), log.size(), chunk, breakAfter), holders(counted) {}
    std::size_t read(char* buffer, std::size_t capacity) override {
        Working working(holders);
        std::size_t got = bytes.read(buffer, capacity);
        if (got == 0 && bytes.failed()) setSourceFailure(*this, bytes.systemError, bytes.failure);
        return got;
    }
    MemorySource bytes;
    Holders& holders;
};

// A log of `count` lines of every sort a feed hands over: time lines,
// headers, rows of values (nan, inf, -0, hexadecimal, words, more than the
// limit), blank and dashed terminators, NUL bytes and carriage returns, and
// lines of up to the limit's length, many of them with the most values.
std::string makeLog(unsigned seed, int count) {
    std::mt19937 random(seed);
    const char* cells[] = {"1", "-0", "2.5e3", "nan", "-inf", "0x1p3", "1e-310", "abc", "3.14159265358979", "-0.0"};
    std::string log;
    for (int i = 0; i < count; ++i) {
        std::string line;
        switch (random() % 10) {
            case 0: line = "VistaGrid timeline paso t = " + std::to_string(i) + ".0"; break;
            case 1: line = "h"; break;
            case 2: line = random() % 2 ? "" : "   "; break;
            case 3: line = " --- "; break;
            case 4:  // as long as a line may be, with the most values a row may have
                line = std::to_string(i);
                for (int v = 0; v < kLimits.maxRowValues; ++v) line += " 1.5";
                line.resize(kLimits.lineCapacity - 1 - random() % 3, '7');
                break;
            case 5: line = random() % 2 ? std::string("1 2\0 3", 6) : "1 2 3\r"; break;
            default: {
                line = std::to_string(i);
                int values = random() % (kLimits.maxRowValues + 3);
                for (int v = 0; v < values; ++v) line += std::string(1 + random() % 2, ' ') + cells[random() % 10];
                if (line.size() >= kLimits.lineCapacity) line.resize(kLimits.lineCapacity - 1);
            }
        }
        log += line + "\n";
    }
    return log;
}

// The lines a GridLogReader reads from `log` itself.
std::vector<LineRecord> directLines(const std::string& log, std::size_t breakAfter = static_cast<std::size_t>(-1)) {
    MemorySource bytes(log.data(), log.size(), 4093, breakAfter);
    std::unique_ptr<GridLogReader> reader(new GridLogReader);
    attachLogSource(*reader, bytes, "test.log", kLimits);
    return readerLines(*reader);
}

// Where two readings of a log part, or -1.
long firstDifference(const std::vector<LineRecord>& got, const std::vector<LineRecord>& expected) {
    for (std::size_t i = 0; i < std::max(got.size(), expected.size()); ++i) {
        if (i >= got.size() || i >= expected.size() || got[i] != expected[i]) return static_cast<long>(i);
    }
    return -1;
}

struct FeedReading {
    int readers = 1;
    int jobs = 0;          // 0: no CPU slots
    std::size_t ring = 0;  // 0: the study's
    std::vector<std::size_t> most;  // lines each reader takes before it leaves (0: leaves at once); none: all
    std::size_t breakAfter = static_cast<std::size_t>(-1);
};

struct FeedResult {
    std::vector<std::vector<LineRecord>> lines;  // each reader's
    std::vector<LineRecord> afterEnd;            // each reader's next line once its log has ended
    int mostWorking = 0;
    int slotsLeft = 0;
};

// Reads `log` through a feed, each reader on a thread of its own holding a
// slot, reader 1 slow (it pauses now and then: what it reads does not depend
// on it).
FeedResult readThroughFeed(const std::string& log, const FeedReading& reading) {
    FeedResult result;
    result.lines.resize(reading.readers);
    result.afterEnd.resize(reading.readers);
    Holders holders;
    CountedSource source(log, 4093, reading.breakAfter, holders);
    CpuSlots slots(reading.jobs);
    CpuSlots* limit = reading.jobs > 0 ? &slots : nullptr;
    std::unique_ptr<LineFeed> feed = startLineFeed(source, "test.log", kLimits, reading.readers, limit, reading.ring);
    if (!feed) {
        ADD_FAILURE() << "the feed did not start";
        return result;
    }
    std::vector<std::thread> threads;
    for (int r = 0; r < reading.readers; ++r) {
        threads.emplace_back([&, r] {
            SlotHeld held(limit);
            std::size_t most = r < static_cast<int>(reading.most.size()) ? reading.most[r] : static_cast<std::size_t>(-1);
            LineFeedReader& reader = feed->reader(r);
            std::vector<LineRecord>& lines = result.lines[r];
            while (lines.size() < most) {
                SuppliedLine line = reader.nextLine();
                Working working(holders);
                lines.push_back(recordOf(line));
                if (line.kind != SuppliedLine::line) {
                    result.afterEnd[r] = recordOf(reader.nextLine());
                    break;
                }
                if (r == 1 && lines.size() % 50 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            feed->leave(r);
        });
    }
    for (std::thread& thread : threads) thread.join();
    feed.reset();
    result.mostWorking = holders.most.load();
    result.slotsLeft = slots.free.load();
    return result;
}

std::string describe(const FeedReading& reading) {
    char text[120];
    std::snprintf(text, sizeof text, "%d readers, -j %d, a ring of %zu bytes", reading.readers, reading.jobs,
                  reading.ring);
    return text;
}

// Every reader has every line as the reader of the bytes has it, whatever
// the readers' pace, their number, the ring's size and the CPU slots; no
// more threads work at once than there are slots, and every slot is given
// back.
TEST(LineFeed, EveryReaderGetsEveryLineAsAReaderOfTheBytes) {
    std::string log = makeLog(1, 1000);
    std::vector<LineRecord> expected = directLines(log);
    ASSERT_EQ(expected.back().kind, SuppliedLine::ended);
    // The smallest ring holds one longest entry: the entries of the longest
    // lines fill it, and wrap at every one.
    for (std::size_t ring : {std::size_t{1}, std::size_t{440}, std::size_t{3000}, std::size_t{0}}) {
        for (int readers : {1, 2, 3}) {
            for (int jobs : {0, 1, 2}) {
                FeedReading reading;
                reading.readers = readers;
                reading.jobs = jobs;
                reading.ring = ring;
                FeedResult result = readThroughFeed(log, reading);
                for (int r = 0; r < readers; ++r) {
                    EXPECT_EQ(firstDifference(result.lines[r], expected), -1) << "reader " << r << ", " << describe(reading);
                    EXPECT_EQ(result.afterEnd[r], expected.back()) << "reader " << r << ", " << describe(reading);
                }
                if (jobs > 0) {
                    EXPECT_LE(result.mostWorking, jobs) << describe(reading);
                    EXPECT_EQ(result.slotsLeft, jobs) << describe(reading);
                }
            }
        }
    }
}

// A reader whose run ends before it reads, or part way, leaves: the others
// read on to the end, in a ring that its unread lines would fill; and once
// every reader has left, the feed ends.
TEST(LineFeed, ReadersThatLeaveHoldNoOneBack) {
    std::string log = makeLog(2, 1000);
    std::vector<LineRecord> expected = directLines(log);
    std::vector<std::vector<std::size_t>> leavings = {{0}, {0, 37}, {37, 0, 1}, {0, 0, 0}, {1, 0}};
    for (const std::vector<std::size_t>& most : leavings) {
        for (int jobs : {0, 1, 2}) {
            FeedReading reading;
            reading.readers = 3;
            reading.jobs = jobs;
            reading.ring = 1;
            reading.most = most;
            FeedResult result = readThroughFeed(log, reading);
            for (int r = 0; r < 3; ++r) {
                std::size_t taken = r < static_cast<int>(most.size()) ? most[r] : expected.size();
                std::vector<LineRecord> prefix(expected.begin(), expected.begin() + std::min(taken, expected.size()));
                EXPECT_EQ(firstDifference(result.lines[r], prefix), -1) << "reader " << r << ", " << describe(reading);
            }
            if (jobs > 0) {
                EXPECT_EQ(result.slotsLeft, jobs);
            }
        }
    }
}

// However the log ends (at its end, after a last line without a newline, on
// a line too long, on a read error part way or at once), every reader is
// told so, and again at every later call.
TEST(LineFeed, EveryEndingIsHandedOnAndKept) {
    std::string lines = makeLog(3, 300);
    std::string tooLong = lines + std::string(kLimits.lineCapacity, 'x') + "\n" + lines;
    struct Ending {
        std::string log;
        std::size_t breakAfter;
        int kind;
    };
    std::vector<Ending> endings = {
        {lines, static_cast<std::size_t>(-1), SuppliedLine::ended},
        {lines + "1 2 3", static_cast<std::size_t>(-1), SuppliedLine::ended},
        {"", static_cast<std::size_t>(-1), SuppliedLine::ended},
        {tooLong, static_cast<std::size_t>(-1), SuppliedLine::lineTooLong},
        {lines, lines.size() / 2, SuppliedLine::readError},
        {lines, 0, SuppliedLine::unopened},
    };
    for (const Ending& ending : endings) {
        std::vector<LineRecord> expected = directLines(ending.log, ending.breakAfter);
        ASSERT_EQ(expected.back().kind, ending.kind);
        for (int jobs : {0, 1}) {
            FeedReading reading;
            reading.readers = 2;
            reading.jobs = jobs;
            reading.ring = 1;
            reading.breakAfter = ending.breakAfter;
            FeedResult result = readThroughFeed(ending.log, reading);
            for (int r = 0; r < 2; ++r) {
                EXPECT_EQ(firstDifference(result.lines[r], expected), -1) << "ending " << ending.kind << ", reader " << r;
                EXPECT_EQ(result.afterEnd[r], expected.back()) << "ending " << ending.kind << ", reader " << r;
            }
        }
    }
}

}  // namespace
