// Which fast paths this build takes, and the word helpers they share.
//
// Every fast path gives bit for bit what the plain code beside it gives; the
// plain code is what a build with GRIDCMP_SIMD=0 (CMake: -DGRIDCMP_SIMD=OFF)
// runs everywhere, so that it is tested on every machine too.
//
//   GRIDCMP_USE_WORDS  eight bytes of text handled as one 64-bit word
//   GRIDCMP_USE_SSE2   x86 SSE2 intrinsics (x86-64, and 32-bit x86 with -msse2)
#pragma once

#include <cstdint>
#include <cstring>

#ifndef GRIDCMP_SIMD
#define GRIDCMP_SIMD 1
#endif

#if GRIDCMP_SIMD
#define GRIDCMP_USE_WORDS 1
#else
#define GRIDCMP_USE_WORDS 0
#endif

#if GRIDCMP_SIMD && defined(__SSE2__)
#define GRIDCMP_USE_SSE2 1
#include <emmintrin.h>
#else
#define GRIDCMP_USE_SSE2 0
#endif

// The eight bytes at p as one word with p[0] in its lowest byte, one byte at a
// time: right on every byte order, and what loadLittleEndian64 must equal.
inline std::uint64_t assembleLittleEndian64(const char* p) {
    std::uint64_t word = 0;
    for (int i = 7; i >= 0; --i) word = (word << 8) | static_cast<unsigned char>(p[i]);
    return word;
}

// The same word in one load, byte-swapped on big-endian machines (s390x,
// POWER in big-endian mode); compilers do not see through the loop above.
inline std::uint64_t loadLittleEndian64(const char* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
#elif defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return __builtin_bswap64(word);
#else
    return assembleLittleEndian64(p);
#endif
}

// The index of the lowest set bit of `bits`, which must not be 0.
inline int lowestSetBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(bits);
#else
    int index = 0;
    while ((bits & 1) == 0) {
        bits >>= 1;
        ++index;
    }
    return index;
#endif
}
