// The loop that adds words into a position counter's planes, private to the
// files of its paths: bitInformation.cpp (the target's baseline) and
// bitCountsAvx2.cpp (compiled for AVX2, taken where the processor has it),
// each with its own copy, compiled for its own instructions.
//
// Everything here has internal linkage, and this file includes no header of
// this program: a function shared between the paths (an inline one of
// external linkage) could be linked once, as compiled for AVX2, and run on a
// processor without it.
#pragma once

#include <cstdint>

namespace gridcmp {

namespace {

constexpr int kCountLanes = 4;

// A carry-save adder: the sum of three words per position, as a low and a
// high bit.
inline void carrySave(std::uint64_t& high, std::uint64_t& low, std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t u = a ^ b;
    high = (a & b) | (u & c);
    low = u ^ c;
}

// Eight words through a tree of carry-save adders into the three lowest
// planes of one lane: returns the carry out of the fours, the eighths.
template <typename Word>
inline std::uint64_t addEight(std::uint64_t& ones, std::uint64_t& twos, std::uint64_t& fours, Word at) {
    std::uint64_t twosA, twosB, foursA, foursB, eights;
    carrySave(twosA, ones, ones, at(0), at(1));
    carrySave(twosB, ones, ones, at(2), at(3));
    carrySave(foursA, twos, twos, twosA, twosB);
    carrySave(twosA, ones, ones, at(4), at(5));
    carrySave(twosB, ones, ones, at(6), at(7));
    carrySave(foursB, twos, twos, twosA, twosB);
    carrySave(eights, fours, fours, foursA, foursB);
    return eights;
}

// Adds `carry` at plane k of lane 0: a binary addition, plane by plane.
inline void addAtPlane(std::uint64_t (*planes)[kCountLanes], int k, std::uint64_t carry) {
    while (carry) {
        std::uint64_t next = planes[k][0] & carry;
        planes[k][0] ^= carry;
        carry = next;
        ++k;
    }
}

// Adds word(0) ... word(n - 1) to the planes (plane k holds bit k of each
// position's count, in four lanes that count side by side), which must have
// room for n more (Harley and Seal's method): sixteen words at a time
// through a tree of carry-save adders into the four lowest planes, each
// sixteenth carried on into the planes above, in four lanes at once (64
// words a step: lane l takes every fourth word from l on); then eight at a
// time in lane 0, then one by one.
template <typename Word>
inline void addToPlanes(std::uint64_t (*planes)[kCountLanes], int n, Word word) {
    std::uint64_t ones[kCountLanes], twos[kCountLanes], fours[kCountLanes], eights[kCountLanes];
    for (int l = 0; l < kCountLanes; ++l) {
        ones[l] = planes[0][l];
        twos[l] = planes[1][l];
        fours[l] = planes[2][l];
        eights[l] = planes[3][l];
    }
    int i = 0;
    for (; i + 16 * kCountLanes <= n; i += 16 * kCountLanes) {
        std::uint64_t sixteens[kCountLanes];
        for (int l = 0; l < kCountLanes; ++l) {
            auto at = [&](int k) { return word(i + kCountLanes * k + l); };
            std::uint64_t eightsA = addEight(ones[l], twos[l], fours[l], at);
            std::uint64_t eightsB = addEight(ones[l], twos[l], fours[l], [&](int k) { return at(8 + k); });
            carrySave(sixteens[l], eights[l], eights[l], eightsA, eightsB);
        }
        for (int k = 4; sixteens[0] | sixteens[1] | sixteens[2] | sixteens[3]; ++k) {
            for (int l = 0; l < kCountLanes; ++l) {
                std::uint64_t next = planes[k][l] & sixteens[l];
                planes[k][l] ^= sixteens[l];
                sixteens[l] = next;
            }
        }
    }
    for (; i + 8 <= n; i += 8) {
        std::uint64_t carried = addEight(ones[0], twos[0], fours[0], [&](int k) { return word(i + k); });
        // The eighths into plane 3, whose lane 0 is held in eights[0].
        std::uint64_t next = eights[0] & carried;
        eights[0] ^= carried;
        if (next) addAtPlane(planes, 4, next);
    }
    for (int l = 0; l < kCountLanes; ++l) {
        planes[0][l] = ones[l];
        planes[1][l] = twos[l];
        planes[2][l] = fours[l];
        planes[3][l] = eights[l];
    }
    for (; i < n; ++i) addAtPlane(planes, 0, word(i));
}

// The words themselves, or the AND of each with the next (n + 1 words read).
inline void addWordsToPlanes(std::uint64_t (*planes)[kCountLanes], const std::uint64_t* words, int n, bool adjacentAnds) {
    if (adjacentAnds) {
        addToPlanes(planes, n, [words](int i) { return words[i] & words[i + 1]; });
    } else {
        addToPlanes(planes, n, [words](int i) { return words[i]; });
    }
}

}  // namespace

}  // namespace gridcmp
