// findTokenStarts with AVX2: 64 bytes compared with blanks in two 32-byte
// steps. This file is compiled for AVX2 (and BMI1, POPCNT, which every AVX2
// processor has) and runs only where the processor has them: it includes no
// header of this program, and keeps its helpers to itself, so that none of
// their instructions can end up in a function the rest of the program shares.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace gridcmp {

namespace {

inline std::uint64_t blankBitsAvx2(const char* p) {
    const __m256i blank = _mm256_set1_epi8(' ');
    __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, blank)));
    auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, blank)));
    return (static_cast<std::uint64_t>(highBits) << 32) | lowBits;
}

// The lowest set bit's index, 64 for none (one tzcnt on x86-64).
inline int trailingZeros(std::uint64_t bits) { return bits ? __builtin_ctzll(bits) : 64; }

}  // namespace

int findTokenStartsAvx2(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    int count = 0;
    std::uint64_t carry = 0;  // the last byte of the previous 64 was not a blank
    for (std::size_t base = 0; base < length; base += 64) {
        std::uint64_t blanks = blankBitsAvx2(line + base);
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
