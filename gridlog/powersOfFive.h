// The powers of five from 5^-342 to 5^308, each as the 128 most significant
// bits of its binary value (the negative ones rounded up): what the decimal
// conversion multiplies a token's digits by, so that ten to any power a double
// can reach costs one or two 64-bit multiplications.
#pragma once

#include <cstdint>

namespace gridcmp {

constexpr int kSmallestPowerOfFive = -342;  // below it, 19 digits round to 0
constexpr int kLargestPowerOfFive = 308;    // above it, any digits overflow
constexpr int kPowersOfFiveCount = kLargestPowerOfFive - kSmallestPowerOfFive + 1;

// Entry q - kSmallestPowerOfFive: its high 64 bits, then its low 64 bits.
extern const std::uint64_t kPowersOfFive128[2 * kPowersOfFiveCount];

}  // namespace gridcmp
