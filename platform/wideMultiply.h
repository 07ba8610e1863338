// The full 128-bit product of two 64-bit integers, and the count of leading
// zero bits of a 64-bit integer: what the decimal conversion is made of.
#pragma once

#include <cstdint>

#include "platform/fastPaths.h"

namespace gridcmp {

struct Product128 {
    std::uint64_t high;
    std::uint64_t low;
};

// Four 32-bit products: right on every machine, and what the one below must
// equal where the compiler has 128-bit integers (not on 32-bit machines).
inline Product128 multiplyFrom32BitHalves(std::uint64_t a, std::uint64_t b) {
    std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    std::uint64_t lowLow = aLow * bLow;
    std::uint64_t highLow = aHigh * bLow;
    std::uint64_t lowHigh = aLow * bHigh;
    std::uint64_t highHigh = aHigh * bHigh;
    std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
    return {highHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32), (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

inline Product128 multiply64(std::uint64_t a, std::uint64_t b) {
#if GRIDCMP_SIMD && defined(__SIZEOF_INT128__)
    __extension__ typedef unsigned __int128 Wide;
    Wide product = static_cast<Wide>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    return multiplyFrom32BitHalves(a, b);
#endif
}

// The number of zero bits above the highest set bit of `bits`, which must not
// be 0.
inline int leadingZeros(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_clzll(bits);
#else
    int count = 0;
    for (std::uint64_t top = std::uint64_t{1} << 63; (bits & top) == 0; top >>= 1) ++count;
    return count;
#endif
}

}  // namespace gridcmp
