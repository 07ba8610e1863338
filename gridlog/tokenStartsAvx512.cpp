// findTokenStarts with AVX-512: 64 bytes compared with blanks in one step,
// straight into a mask register. This file is compiled for AVX-512 F and BW
// (and BMI1, POPCNT, which every such processor has) and runs only where the
// processor has them: it includes no header of this program but the loop it
// shares (which is made for that), and keeps its helpers to itself, so that
// none of their instructions can end up in a function the rest of the
// program shares.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "gridlog/tokenStartsLoop.h"

namespace gridcmp {

int findTokenStartsAvx512(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    return findTokenStartsBy64(line, length, starts, capacity, [](const char* p) {
        return static_cast<std::uint64_t>(_mm512_cmpeq_epi8_mask(_mm512_loadu_si512(p), _mm512_set1_epi8(' ')));
    });
}

}  // namespace gridcmp
