// The bytes of a grid log cut into lines: the one way a reader gets lines
// from a file, a pipe or a decompressed stream.
#pragma once

#include <cstddef>
#include <memory>

#include "gridlog/ByteSource.h"
#include "gridlog/LineSupply.h"

namespace gridcmp {

struct ByteLines final : LineSupply {
    // Lines are cut at '\n' only; one of lineCapacity bytes or more is
    // lineTooLong. A last line without a newline is a line, said to be
    // unterminated. A source that fails before giving any byte makes the log
    // unopened, one that fails later a readError after the lines before it.
    SuppliedLine nextLine() override;

    // Reads `source` (which the caller keeps) from its start. The buffer, of
    // lineCapacity bytes and one read more, is allocated here (failure
    // throws std::bad_alloc, on the caller's thread, not the reading one) and
    // kept for a later source of no longer lines.
    void restart(ByteSource& source, std::size_t lineCapacity);

private:
    bool refill();

    ByteSource* source_ = nullptr;
    std::size_t lineCapacity_ = 0;
    std::size_t bufferCapacity_ = 0;  // the longest line bytes_ has room for
    std::unique_ptr<char[]> bytes_;
    std::size_t start_ = 0;  // bytes [start_, end_) are read but not yet delivered
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // of the pending bytes, searched for a newline in vain
    bool drained_ = false;   // the source has nothing more to give
    bool anythingRead_ = false;
    bool finished_ = false;  // the last answer is given again
    SuppliedLine last_;
};

}  // namespace gridcmp
