#include "study/threadedSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/memorySource.h"

namespace {

using namespace gridcmp;

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

// Everything `source` gives, `most` bytes at a time, to its end.
std::string readAll(ByteSource& source, std::size_t most) {
    std::string got;
    std::vector<char> buffer(most);
    for (;;) {
        std::size_t count = source.read(buffer.data(), most);
        if (count == 0) return got;
        got.append(buffer.data(), count);
    }
}

// The inner source's bytes, exactly, whatever the pieces it gives, the
// ring's size, the reader's reads and the CPU slots (the reader holding one).
TEST(ThreadedSource, GivesExactlyTheInnerBytes) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{1} << 20}) {
        for (std::size_t ring : {std::size_t{2}, std::size_t{3}, std::size_t{4099}, std::size_t{1} << 22}) {
            for (std::size_t reads : {std::size_t{1}, std::size_t{13}, std::size_t{65536}}) {
                // Bytes handed over one or a few at a time: fewer do.
                bool small = ring < 16 || chunk < 16 || reads < 16;
                std::string bytes = randomBytes(small ? 5000 : 300000, 1);
                for (int jobs : {0, 1, 2}) {
                    MemorySource inner(bytes.data(), bytes.size(), chunk);
                    CpuSlots slots(jobs);
                    CpuSlots* limit = jobs > 0 ? &slots : nullptr;
                    SlotHeld held(limit);
                    std::unique_ptr<ThreadedSource> source = startThreadedSource(inner, limit, ring);
                    ASSERT_TRUE(source);
                    std::string got = readAll(*source, reads);
                    EXPECT_TRUE(got == bytes) << "pieces of " << chunk << ", a ring of " << ring << ", reads of "
                                              << reads << ", -j " << jobs << ": " << got.size() << " bytes";
                    EXPECT_FALSE(source->failed());
                    EXPECT_EQ(source->read(&got[0], 1), 0u);  // and nothing after the end
                }
            }
        }
    }
    // Round the study's ring several times.
    std::string large = randomBytes(std::size_t{9} << 20, 2);
    MemorySource inner(large.data(), large.size(), std::size_t{1} << 16);
    std::unique_ptr<ThreadedSource> source = startThreadedSource(inner, nullptr);
    ASSERT_TRUE(source);
    EXPECT_TRUE(readAll(*source, std::size_t{1} << 18) == large);
}

// A failure of the inner source comes after every byte before it, with the
// inner source's errno and reason, and stays.
TEST(ThreadedSource, PassesAFailureOnAfterTheBytesBeforeIt) {
    std::string bytes = randomBytes(100000, 3);
    for (std::size_t breakAfter : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, std::size_t{99999}}) {
        for (int jobs : {0, 1}) {
            MemorySource inner(bytes.data(), bytes.size(), 1000, breakAfter);
            CpuSlots slots(jobs);
            CpuSlots* limit = jobs > 0 ? &slots : nullptr;
            SlotHeld held(limit);
            std::unique_ptr<ThreadedSource> source = startThreadedSource(inner, limit, 5000);
            ASSERT_TRUE(source);
            std::string got = readAll(*source, 777);
            EXPECT_TRUE(got == bytes.substr(0, breakAfter)) << got.size() << " bytes of " << breakAfter;
            EXPECT_TRUE(source->failed());
            EXPECT_EQ(source->systemError, EIO);
            EXPECT_STREQ(source->failure, std::strerror(EIO));
            char byte;
            EXPECT_EQ(source->read(&byte, 1), 0u);
        }
    }
}

// A reader that stops part way, or before it reads at all, ends the thread,
// which may be waiting for room in the ring.
TEST(ThreadedSource, EndsWhenItsReaderStopsPartWay) {
    std::string bytes = randomBytes(100000, 4);
    for (std::size_t taken : {std::size_t{0}, std::size_t{10}, std::size_t{50000}}) {
        for (int jobs : {0, 1}) {
            MemorySource inner(bytes.data(), bytes.size(), 100);
            CpuSlots slots(jobs);
            CpuSlots* limit = jobs > 0 ? &slots : nullptr;
            {
                SlotHeld held(limit);
                std::unique_ptr<ThreadedSource> source = startThreadedSource(inner, limit, 64);
                ASSERT_TRUE(source);
                std::string got;
                char buffer[10];
                while (got.size() < taken) {
                    got.append(buffer, source->read(buffer, std::min(sizeof buffer, taken - got.size())));
                }
                EXPECT_TRUE(got == bytes.substr(0, taken));
            }
            if (jobs > 0) {
                EXPECT_EQ(slots.free.load(), jobs);
            }
        }
    }
}

}  // namespace
