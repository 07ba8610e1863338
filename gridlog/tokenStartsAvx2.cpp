// findTokenStarts with AVX2: 64 bytes compared with blanks in two 32-byte
// steps. This file is compiled for AVX2 (and BMI1, POPCNT, which every AVX2
// processor has) and runs only where the processor has them: it includes no
// header of this program but the loop it shares (which is made for that),
// and keeps its helpers to itself, so that none of their instructions can
// end up in a function the rest of the program shares.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "gridlog/tokenStartsLoop.h"

namespace gridcmp {

int findTokenStartsAvx2(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    return findTokenStartsBy64(line, length, starts, capacity, [](const char* p) {
        const __m256i blank = _mm256_set1_epi8(' ');
        __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        auto lowBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(low, blank)));
        auto highBits = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(high, blank)));
        return (static_cast<std::uint64_t>(highBits) << 32) | lowBits;
    });
}

}  // namespace gridcmp
