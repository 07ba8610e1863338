#include "gridlog/byteLines.h"

#include <cstring>

namespace gridcmp {

namespace {

// Bytes fetched from the source per read: small enough to stay in cache.
constexpr std::size_t kReadChunkBytes = 1 << 18;

}  // namespace

void ByteLines::restart(ByteSource& source, std::size_t lineCapacity) {
    if (bufferCapacity_ < lineCapacity) {
        // A whole line and one read after it; +1 for the NUL after a last
        // line, then what the row split reads ahead. Not cleared: only the
        // bytes read are ever looked at, so a large buffer costs no memory
        // until used.
        bytes_.reset(new char[lineCapacity + kReadChunkBytes + 1 + kLineReadAhead]);
        bufferCapacity_ = lineCapacity;
    }
    source_ = &source;
    lineCapacity_ = lineCapacity;
    start_ = 0;
    end_ = 0;
    drained_ = false;
    anythingRead_ = false;
    finished_ = false;
    scanned_ = 0;
}

// Moves the undelivered bytes to the front of the buffer and reads up to one
// chunk more after them; false when the source has no more to give (at its
// end, or because it failed).
bool ByteLines::refill() {
    char* bytes = bytes_.get();
    std::size_t pending = end_ - start_;
    if (start_ > 0) std::memmove(bytes, bytes + start_, pending);
    start_ = 0;
    end_ = pending;
    // There is room: pending is less than a line.
    std::size_t got = source_->read(bytes + pending, kReadChunkBytes);
    end_ += got;
    // What is read ahead past the last line is never taken, but is read.
    std::memset(bytes + end_, 0, 1 + kLineReadAhead);
    if (got > 0) {
        anythingRead_ = true;
        return true;
    }
    drained_ = true;
    return false;
}

SuppliedLine ByteLines::nextLine() {
    if (finished_) return last_;
    for (;;) {
        char* start = bytes_.get() + start_;
        std::size_t available = end_ - start_;
        std::size_t searched = available < lineCapacity_ ? available : lineCapacity_;
        // A long line that comes in pieces (a pipe's) is searched once: from
        // where the last search stopped.
        const void* newline =
            searched > scanned_ ? std::memchr(start + scanned_, '\n', searched - scanned_) : nullptr;
        scanned_ = newline ? 0 : searched;
        SuppliedLine line;
        if (newline || (drained_ && !source_->failed() && available > 0 && available < lineCapacity_)) {
            std::size_t end = newline ? static_cast<const char*>(newline) - bytes_.get() : end_;
            bytes_[end] = '\0';
            const void* nul = std::memchr(start, '\0', end - start_);
            line.kind = SuppliedLine::line;
            line.text = start;
            line.length = nul ? static_cast<const char*>(nul) - start : end - start_;
            line.unterminated = newline == nullptr;
            start_ = newline ? end + 1 : end_;
            scanned_ = 0;
            return line;
        }
        if (available >= lineCapacity_) {
            line.kind = SuppliedLine::lineTooLong;
        } else if (drained_ && source_->failed()) {
            // Every line read before the failure has been delivered. A stream
            // that gave nothing at all (a directory, say) is one that could
            // not be opened; one that breaks part way through is a fault.
            line.kind = anythingRead_ ? SuppliedLine::readError : SuppliedLine::unopened;
            line.systemError = source_->systemError;
            line.reason = source_->failure;
        } else if (drained_) {
            line.kind = SuppliedLine::ended;
        } else {
            refill();
            continue;
        }
        finished_ = true;
        last_ = line;
        return line;
    }
}

}  // namespace gridcmp
