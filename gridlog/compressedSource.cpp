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
// gzip: every member of the file in turn (gzip and pigz may write several).
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
    bool finished = false;
    char input[kCompressedChunk];
};
#endif

#if GRIDCMP_HAVE_ZSTD
// zstd: every frame in turn.
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

}  // namespace

Compression compressionOf(const unsigned char* first, std::size_t size) {
    if (size >= 2 && first[0] == 0x1f && first[1] == 0x8b) return Compression::gzip;
    if (size >= 4 && first[0] == 0x28 && first[1] == 0xb5 && first[2] == 0x2f && first[3] == 0xfd) {
        return Compression::zstd;
    }
    return Compression::none;
}

bool canDecompress(Compression compression) {
    switch (compression) {
        case Compression::none: return true;
        case Compression::gzip: return GRIDCMP_HAVE_ZLIB != 0;
        case Compression::zstd: return GRIDCMP_HAVE_ZSTD != 0;
    }
    return false;
}

const char* compressionName(Compression compression) {
    switch (compression) {
        case Compression::none: return "none";
        case Compression::gzip: return "gzip";
        case Compression::zstd: return "zstd";
    }
    return "none";
}

std::unique_ptr<ByteSource> decompressingSource(Compression compression, ByteSource& compressed) {
    switch (compression) {
        case Compression::none: return nullptr;
        case Compression::gzip:
#if GRIDCMP_HAVE_ZLIB
            return std::unique_ptr<ByteSource>(new GzipSource(compressed));
#else
            return nullptr;
#endif
        case Compression::zstd:
#if GRIDCMP_HAVE_ZSTD
            return std::unique_ptr<ByteSource>(new ZstdSource(compressed));
#else
            return nullptr;
#endif
    }
    (void)compressed;
    return nullptr;
}

}  // namespace gridcmp
