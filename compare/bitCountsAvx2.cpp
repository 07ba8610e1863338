// The bit counts' loop compiled for AVX2, where the four lanes of carry-save
// adders become one 256-bit register each. This file is compiled for AVX2
// and runs only where the processor has it: it includes no header of this
// program but the loop it shares (bitCountsLoop.h, made for that).
#include <cstdint>

#include "compare/bitCountsLoop.h"

namespace gridcmp {

void addWordsToPlanesAvx2(std::uint64_t (*planes)[4], const std::uint64_t* words, int n, bool adjacentAnds) {
    addWordsToPlanes(planes, words, n, adjacentAnds);
}

}  // namespace gridcmp
