// The loop of every 64-byte path of findTokenStarts, private to the files of
// those paths: tokenStarts.cpp (plain-C++ words, SSE2), tokenStartsAvx2.cpp and
// tokenStartsAvx512.cpp. Each includes it and instantiates it with its own
// "blank mask" of 64 bytes, compiled for its own instructions.
//
// Everything here has internal linkage, and this file includes no header of
// this program: each path's file gets its own copy, compiled for its
// instructions. A function shared between them (an inline one of external
// linkage) could be linked once, as compiled for AVX, and run on a processor
// without it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gridcmp {

namespace {

// The lowest set bit's index, 64 for none (one tzcnt with BMI).
inline int trailingZeros64(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
    return bits ? __builtin_ctzll(bits) : 64;
#else
    int index = 0;
    while (index < 64 && (bits & 1) == 0) {
        bits >>= 1;
        ++index;
    }
    return index;
#endif
}

// A step's token starts counted before any is written: all of them, in one
// instruction, where the file is compiled for x86's popcnt. Elsewhere none:
// they are counted as they are written, which costs less than the library
// call a compiler makes of __builtin_popcountll there, or the same count in
// word operations.
#if defined(__POPCNT__)
constexpr bool kCountedAtOnce = true;
inline int countedAtOnce(std::uint64_t tokenStarts) { return __builtin_popcountll(tokenStarts); }
#else
constexpr bool kCountedAtOnce = false;
inline int countedAtOnce(std::uint64_t) { return 0; }
#endif

// findTokenStarts, 64 bytes at a time: `blankBits(p)` gives the 64 bytes at p
// as bits, set for a blank (byte p[i] is bit i). A token starts at a byte
// that is not a blank, where the byte before is one (or the line starts).
template <typename BlankBits>
int findTokenStartsBy64(const char* line, std::size_t length, std::uint32_t* starts, int capacity,
                        BlankBits blankBits) {
    int count = 0;
    std::uint64_t carry = 0;  // the last byte of the previous 64 was not a blank
    for (std::size_t base = 0; base < length; base += 64) {
        std::uint64_t blanks = blankBits(line + base);
        std::size_t inLine = length - base;
        std::uint64_t valid = inLine >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inLine) - 1;
        std::uint64_t text = ~blanks & valid;
        std::uint64_t tokenStarts = text & ~((text << 1) | carry);
        carry = text >> 63;
        // Four offsets written whatever the count (into the slack past it):
        // 64 bytes of cells rarely hold more, and a loop would mispredict
        // its end at every step.
        std::uint32_t* out = starts + count;
        auto offset = static_cast<std::uint32_t>(base);
        int found = countedAtOnce(tokenStarts);
        for (int i = 0; i < 4; ++i) {
            out[i] = offset + static_cast<std::uint32_t>(trailingZeros64(tokenStarts));
            if (!kCountedAtOnce) found += tokenStarts != 0;
            tokenStarts &= tokenStarts - 1;
        }
        for (int i = 4; tokenStarts != 0; ++i) {
            out[i] = offset + static_cast<std::uint32_t>(trailingZeros64(tokenStarts));
            if (!kCountedAtOnce) ++found;
            tokenStarts &= tokenStarts - 1;
        }
        count += found;
        if (count >= capacity) return capacity;
    }
    return count;
}

}  // namespace

}  // namespace gridcmp
