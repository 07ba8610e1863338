// A double's bit pattern, and back: for code that reads a double's fields,
// and for tests that compare results bit for bit.
#pragma once

#include <cstdint>
#include <cstring>

namespace gridcmp {

inline std::uint64_t bitsOf(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

inline double fromBits(std::uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace gridcmp
