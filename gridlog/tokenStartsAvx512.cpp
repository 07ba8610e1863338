// findTokenStarts with AVX-512: 64 bytes compared with blanks in one step,
// straight into a mask register. This file is compiled for AVX-512 F and BW
// (and BMI1, POPCNT, which every such processor has) and runs only where the
// processor has them: it includes no header of this program, and keeps its
// helpers to itself, so that none of their instructions can end up in a
// function the rest of the program shares.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace gridcmp {

namespace {

// The lowest set bit's index, 64 for none (one tzcnt on x86-64).
inline int trailingZeros(std::uint64_t bits) { return bits ? __builtin_ctzll(bits) : 64; }

}  // namespace

int findTokenStartsAvx512(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    const __m512i blank = _mm512_set1_epi8(' ');
    int count = 0;
    std::uint64_t carry = 0;  // the last byte of the previous 64 was not a blank
    for (std::size_t base = 0; base < length; base += 64) {
        std::uint64_t blanks = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(line + base), blank);
        std::size_t inLine = length - base;
        std::uint64_t valid = inLine >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << inLine) - 1;
        std::uint64_t text = ~blanks & valid;
        std::uint64_t tokenStarts = text & ~((text << 1) | carry);
        carry = text >> 63;
        // Four offsets written whatever the count (into the slack past it):
        // 64 bytes of cells rarely hold more, and a loop would mispredict
        // its end at every step.
        int found = __builtin_popcountll(tokenStarts);
        std::uint32_t* out = starts + count;
        auto offset = static_cast<std::uint32_t>(base);
        for (int i = 0; i < 4; ++i) {
            out[i] = offset + static_cast<std::uint32_t>(trailingZeros(tokenStarts));
            tokenStarts &= tokenStarts - 1;
        }
        for (int i = 4; i < found; ++i) {
            out[i] = offset + static_cast<std::uint32_t>(trailingZeros(tokenStarts));
            tokenStarts &= tokenStarts - 1;
        }
        count += found;
        if (count >= capacity) return capacity;
    }
    return count;
}

}  // namespace gridcmp
