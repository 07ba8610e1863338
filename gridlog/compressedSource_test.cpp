#include "gridlog/compressedSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/memorySource.h"

#if GRIDCMP_HAVE_ZLIB
#include <zlib.h>
#endif
#if GRIDCMP_HAVE_ZSTD
#include <zstd.h>
#endif

namespace {

using namespace gridcmp;

#if GRIDCMP_HAVE_ZLIB || GRIDCMP_HAVE_ZSTD  // a build without either tests none
std::string someLog() {
    std::string log;
    for (int k = 0; k < 300; ++k) log += "VistaGrid timeline paso t = " + std::to_string(k) + "\n1 0.5 0.25 " + std::to_string(k * 7) + "\n\n";
    return log;
}

struct Read {
    std::string bytes;
    bool failed;
};

const CompressionFormat& formatNamed(const char* name) {
    const CompressionFormat* formats;
    int count = compressionFormats(&formats);
    for (int i = 0; i < count; ++i) {
        if (std::string(formats[i].name) == name) return formats[i];
    }
    ADD_FAILURE() << "no format named " << name;
    return formats[0];
}

const CompressionFormat* detected(const std::string& bytes) {
    return compressionOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

Read readAll(const CompressionFormat& format, const std::string& compressed, std::size_t chunk) {
    MemorySource source(compressed.data(), compressed.size(), chunk);
    std::unique_ptr<ByteSource> decompressed = format.open(source);
    Read read{"", false};
    char buffer[777];
    while (std::size_t got = decompressed->read(buffer, sizeof buffer)) read.bytes.append(buffer, got);
    read.failed = decompressed->failed();
    return read;
}

// Whole streams read back whole, however the compressed bytes come; a stream
// cut anywhere is a failure, never a clean end with part of the log.
void expectWholeOrFailed(const char* name, const std::string& compressed, const std::string& plain) {
    const CompressionFormat& format = formatNamed(name);
    EXPECT_EQ(detected(compressed), &format);
    for (std::size_t chunk : {std::size_t{1}, std::size_t{13}, std::size_t{1} << 16}) {
        Read whole = readAll(format, compressed, chunk);
        EXPECT_FALSE(whole.failed) << chunk;
        EXPECT_EQ(whole.bytes, plain) << chunk;
    }
    for (std::size_t cut = 1; cut < compressed.size(); cut += 97) {
        EXPECT_TRUE(readAll(format, compressed.substr(0, cut), 64).failed) << "cut at " << cut;
    }
}
#endif

#if GRIDCMP_HAVE_ZLIB
std::string gzipped(const std::string& plain) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(deflateBound(&stream, plain.size()) + 64);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    std::string compressed(reinterpret_cast<char*>(out.data()), stream.total_out);
    deflateEnd(&stream);
    return compressed;
}

TEST(CompressedSource, GzipOfSeveralMembers) {
    std::string plain = someLog();
    std::string half = plain.substr(0, plain.size() / 2);
    std::string members = gzipped(half) + gzipped(plain.substr(half.size()));
    expectWholeOrFailed("gzip", members, plain);
}

// Zero bytes after the last member pad the file: read past after one member
// or several, however many; anything after them is refused.
TEST(CompressedSource, GzipPaddedWithZeros) {
    std::string plain = someLog();
    std::string half = plain.substr(0, plain.size() / 2);
    std::string one = gzipped(plain);
    std::string two = gzipped(half) + gzipped(plain.substr(half.size()));
    for (const std::string& members : {one, two}) {
        // 200000 zeros: more than the source reads at once.
        for (std::size_t zeros : {std::size_t{1}, std::size_t{512}, std::size_t{200000}}) {
            std::string padded = members + std::string(zeros, '\0');
            for (std::size_t chunk : {std::size_t{1}, std::size_t{13}, std::size_t{1} << 16}) {
                Read read = readAll(formatNamed("gzip"), padded, chunk);
                EXPECT_FALSE(read.failed) << zeros << " zeros, chunk " << chunk;
                EXPECT_EQ(read.bytes, plain) << zeros << " zeros, chunk " << chunk;
            }
        }
        for (const std::string& after : {std::string("x"), gzipped("1 2 3\n")}) {
            EXPECT_TRUE(readAll(formatNamed("gzip"), members + std::string(7, '\0') + after, 13).failed);
        }
    }
}
#endif

#if GRIDCMP_HAVE_ZSTD
std::string zstded(const std::string& plain) {
    std::string out(ZSTD_compressBound(plain.size()), '\0');
    out.resize(ZSTD_compress(&out[0], out.size(), plain.data(), plain.size(), 3));
    return out;
}

TEST(CompressedSource, ZstdOfSeveralFrames) {
    std::string plain = someLog();
    std::string half = plain.substr(0, plain.size() / 3);
    std::string frames = zstded(half) + zstded(plain.substr(half.size()));
    expectWholeOrFailed("zstd", frames, plain);
}

// A skippable frame: its magic number (0x184D2A50 to 0x184D2A5F), the size of
// its content and that content, every number little-endian.
std::string skippable(unsigned variant, std::size_t size) {
    std::string frame = {static_cast<char>(0x50 + variant), 0x2a, 0x4d, 0x18};
    for (int i = 0; i < 4; ++i) frame += static_cast<char>((size >> (8 * i)) & 0xff);
    for (std::size_t i = 0; i < size; ++i) frame += static_cast<char>('a' + i % 26);
    return frame;
}

// Skippable frames are passed over wherever a frame may be: first (as pzstd
// writes), between frames, last; one cut short is a stream cut short.
TEST(CompressedSource, ZstdWithSkippableFrames) {
    std::string plain = someLog();
    std::string half = plain.substr(0, plain.size() / 3);
    std::string first = zstded(half);
    std::string second = zstded(plain.substr(half.size()));
    expectWholeOrFailed("zstd", skippable(0, 4) + first + second, plain);
    expectWholeOrFailed("zstd", first + skippable(15, 300) + second, plain);
    expectWholeOrFailed("zstd", first + second + skippable(7, 0), plain);
    expectWholeOrFailed("zstd", skippable(3, 9) + skippable(0, 0) + first + skippable(9, 2) + second, plain);
    for (std::size_t cut : {std::size_t{6}, std::size_t{15}}) {  // in its size, in its content
        EXPECT_TRUE(readAll(formatNamed("zstd"), first + second + skippable(1, 20).substr(0, cut), 64).failed) << cut;
    }
}
#endif

}  // namespace
