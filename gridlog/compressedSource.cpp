#include "gridlog/compressedSource.h"

#include <cstdio>
#include <cstring>

#if GRIDCMP_HAVE_ZLIB
#include <zlib.h>
#endif
#if GRIDCMP_HAVE_ZSTD
#include <zstd.h>
#endif

namespace gridcmp {

namespace {

constexpr std::size_t kCompressedChunk = 1 << 17;

#if GRIDCMP_HAVE_ZLIB
// gzip: every member of the file in turn (gzip and pigz may write several),
// then any zero bytes that pad it.
struct GzipSource : ByteSource {
    explicit GzipSource(ByteSource& compressedSource) : compressed(compressedSource) {
        std::memset(&stream, 0, sizeof stream);
        started = inflateInit2(&stream, 15 + 32) == Z_OK;  // gzip or zlib headers
        if (!started) setSourceFailure(*this, 0, "zlib: cannot start decompressing");
    }
    ~GzipSource() override {
        if (started) inflateEnd(&stream);
    }

    std::size_t read(char* buffer, std::size_t capacity) override {
        if (failed() || finished) return 0;
        const uInt given = static_cast<uInt>(capacity > (1u << 30) ? (1u << 30) : capacity);
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = given;
        while (stream.avail_out > 0) {
            // What is decompressed is given before more is read, which may
            // wait (for a pipe's writer).
            if (stream.avail_in == 0 && !inputEnded && stream.avail_out != given) break;
            if (stream.avail_in == 0 && !inputEnded) {
                stream.avail_in = static_cast<uInt>(compressed.read(input, sizeof input));
                stream.next_in = reinterpret_cast<Bytef*>(input);
                if (stream.avail_in == 0) {
                    inputEnded = true;
                    if (compressed.failed()) {
                        setSourceFailure(*this, compressed.systemError, compressed.failure);
                        break;
                    }
                }
            }
            if (stream.avail_in == 0 && inputEnded && memberEnded) {  // the last member ended with the file
                finished = true;
                break;
            }
            if (memberEnded && stream.avail_in > 0 && (padded || stream.next_in[0] == 0)) {
                // Zero bytes after the last member pad the file (tapes and
                // some tools leave them, and gzip accepts them); no member
                // starts with one. Anything after them is refused, not passed
                // over: it may be what is left of a member.
                while (stream.avail_in > 0 && stream.next_in[0] == 0) {
                    ++stream.next_in;
                    --stream.avail_in;
                }
                padded = true;
                if (stream.avail_in > 0) {
                    setSourceFailure(*this, 0, "gzip: bytes other than zeros after the zeros that pad its end");
                    break;
                }
                continue;
            }
            uInt outputBefore = stream.avail_out;
            uInt inputBefore = stream.avail_in;
            int result = inflate(&stream, Z_NO_FLUSH);
            if (result == Z_STREAM_END) {
                // Another member may follow.
                inflateReset(&stream);
                memberEnded = true;
                continue;
            }
            if (stream.avail_out != outputBefore || stream.avail_in != inputBefore) memberEnded = false;
            if (result == Z_BUF_ERROR && stream.avail_in == 0 && inputEnded) {
                if (stream.avail_out != outputBefore) continue;
                setSourceFailure(*this, 0, "gzip: unexpected end of file (the stream is cut short)");
                break;
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                char reason[sizeof failure];
                std::snprintf(reason, sizeof reason, "gzip: %s", stream.msg ? stream.msg : zError(result));
                setSourceFailure(*this, 0, reason);
                break;
            }
        }
        return given - stream.avail_out;
    }

    ByteSource& compressed;
    z_stream stream;
    bool started = false;
    bool inputEnded = false;
    bool memberEnded = false;
    bool padded = false;  // zero bytes came after the last member
    bool finished = false;
    char input[kCompressedChunk];
};
#endif

#if GRIDCMP_HAVE_ZSTD
// zstd: every frame in turn; libzstd passes over skippable frames (pzstd
// starts with one) wherever they are.
struct ZstdSource : ByteSource {
    explicit ZstdSource(ByteSource& compressedSource) : compressed(compressedSource), stream(ZSTD_createDStream()) {
        if (!stream) setSourceFailure(*this, 0, "zstd: cannot start decompressing");
    }
    ~ZstdSource() override { ZSTD_freeDStream(stream); }

    std::size_t read(char* buffer, std::size_t capacity) override {
        if (failed() || finished) return 0;
        ZSTD_outBuffer out{buffer, capacity, 0};
        while (out.pos < out.size) {
            // What is decompressed is given before more is read, which may
            // wait (for a pipe's writer).
            if (in.pos == in.size && !inputEnded && out.pos > 0) break;
            if (in.pos == in.size && !inputEnded) {
                in.size = compressed.read(input, sizeof input);
                in.pos = 0;
                in.src = input;
                if (in.size == 0) {
                    inputEnded = true;
                    if (compressed.failed()) {
                        setSourceFailure(*this, compressed.systemError, compressed.failure);
                        break;
                    }
                }
            }
            if (in.pos == in.size && inputEnded && pending == 0) {  // the last frame ended with the file
                finished = true;
                break;
            }
            std::size_t before = out.pos;
            pending = ZSTD_decompressStream(stream, &out, &in);
            if (ZSTD_isError(pending)) {
                char reason[sizeof failure];
                std::snprintf(reason, sizeof reason, "zstd: %s", ZSTD_getErrorName(pending));
                setSourceFailure(*this, 0, reason);
                break;
            }
            if (out.pos == before && in.pos == in.size && inputEnded && pending != 0) {
                setSourceFailure(*this, 0, "zstd: unexpected end of file (the stream is cut short)");
                break;
            }
        }
        return out.pos;
    }

    ByteSource& compressed;
    ZSTD_DStream* stream;
    ZSTD_inBuffer in{nullptr, 0, 0};
    std::size_t pending = 0;  // 0 once a frame is complete
    bool inputEnded = false;
    bool finished = false;
    char input[kCompressedChunk];
};
#endif

#if GRIDCMP_HAVE_ZLIB
std::unique_ptr<ByteSource> openGzip(ByteSource& compressed) {
    return std::unique_ptr<ByteSource>(new GzipSource(compressed));
}
#else
constexpr OpenDecompressing openGzip = nullptr;
#endif

#if GRIDCMP_HAVE_ZSTD
std::unique_ptr<ByteSource> openZstd(ByteSource& compressed) {
    return std::unique_ptr<ByteSource>(new ZstdSource(compressed));
}
#else
constexpr OpenDecompressing openZstd = nullptr;
#endif

constexpr CompressionFormat kFormats[] = {
    {"gzip", {{{0x1f, 0x8b}, {0xff, 0xff}, 2}}, GRIDCMP_HAVE_ZLIB != 0, openGzip},
    // A zstd frame, or a skippable frame (magic 0x184D2A5?, little-endian),
    // which may come first, as pzstd's does.
    {"zstd",
     {{{0x28, 0xb5, 0x2f, 0xfd}, {0xff, 0xff, 0xff, 0xff}, 4}, {{0x50, 0x2a, 0x4d, 0x18}, {0xf0, 0xff, 0xff, 0xff}, 4}},
     GRIDCMP_HAVE_ZSTD != 0,
     openZstd},
};

constexpr bool opensWhereReadable() {
    for (const CompressionFormat& format : kFormats) {
        if (format.readable != (format.open != nullptr)) return false;
    }
    return true;
}
static_assert(opensWhereReadable(), "a format opens a source exactly where the build reads it");

bool startsWith(const unsigned char* first, std::size_t size, const MagicBytes& magic) {
    if (magic.length == 0 || size < magic.length) return false;
    for (std::size_t i = 0; i < magic.length; ++i) {
        if ((first[i] & magic.mask[i]) != magic.bytes[i]) return false;
    }
    return true;
}

}  // namespace

int compressionFormats(const CompressionFormat** formats) {
    *formats = kFormats;
    return static_cast<int>(sizeof kFormats / sizeof kFormats[0]);
}

const CompressionFormat* compressionOf(const unsigned char* first, std::size_t size) {
    for (const CompressionFormat& format : kFormats) {
        for (const MagicBytes& magic : format.magic) {
            if (startsWith(first, size, magic)) return &format;
        }
    }
    return nullptr;
}

}  // namespace gridcmp
