#include "gridlog/powersOfFive.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace gridcmp;

// Just enough of an unsigned integer of any size (32-bit limbs, lowest first)
// to work the table out again from its definition.
using Big = std::vector<std::uint32_t>;

void multiplyBy(Big& n, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : n) {
        carry += static_cast<std::uint64_t>(limb) * factor;
        limb = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    if (carry) n.push_back(static_cast<std::uint32_t>(carry));
}

void divideBy(Big& n, std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t i = n.size(); i-- > 0;) {
        std::uint64_t part = (remainder << 32) | n[i];
        n[i] = static_cast<std::uint32_t>(part / divisor);
        remainder = part % divisor;
    }
    while (!n.empty() && n.back() == 0) n.pop_back();
}

int bitLength(const Big& n) {
    if (n.empty()) return 0;
    int bits = 32 * static_cast<int>(n.size() - 1);
    for (std::uint32_t top = n.back(); top; top >>= 1) ++bits;
    return bits;
}

bool bit(const Big& n, int i) { return (n[i / 32] >> (i % 32)) & 1; }

// The 128 bits of n from its highest set bit down (n shifted left if shorter).
void top128(const Big& n, std::uint64_t& high, std::uint64_t& low) {
    high = low = 0;
    int length = bitLength(n);
    for (int i = 0; i < 128; ++i) {
        int source = length - 1 - i;
        bool set = source >= 0 && bit(n, source);
        (i < 64 ? high : low) |= static_cast<std::uint64_t>(set) << (63 - i % 64);
    }
}

Big powerOfTwo(int exponent) {
    Big n(exponent / 32 + 1, 0);
    n.back() = std::uint32_t{1} << (exponent % 32);
    return n;
}

// 5^q in 128 bits: truncated for q >= 0; for q < 0, 2^b / 5^-q + 1 (integer
// division), b large enough to give 128 bits or more, cut to its top 128 bits.
TEST(PowersOfFive, EveryEntryIsItsPowerOfFiveInItsTop128Bits) {
    Big power{1};
    for (int q = 0; q <= kLargestPowerOfFive; ++q) {
        std::uint64_t high, low;
        top128(power, high, low);
        int index = 2 * (q - kSmallestPowerOfFive);
        ASSERT_EQ(kPowersOfFive128[index], high) << "5^" << q;
        ASSERT_EQ(kPowersOfFive128[index + 1], low) << "5^" << q;
        multiplyBy(power, 5);
    }
    Big fives{1};
    for (int k = 1; k <= -kSmallestPowerOfFive; ++k) {
        multiplyBy(fives, 5);
        int z = bitLength(fives);
        Big quotient = powerOfTwo(k <= 27 ? z + 127 : 2 * z + 128);
        for (int i = 0; i < k; ++i) divideBy(quotient, 5);
        quotient.push_back(0);
        for (std::uint32_t& limb : quotient) {  // + 1
            if (++limb != 0) break;
        }
        if (quotient.back() == 0) quotient.pop_back();
        std::uint64_t high, low;
        top128(quotient, high, low);
        int index = 2 * (-k - kSmallestPowerOfFive);
        ASSERT_EQ(kPowersOfFive128[index], high) << "5^-" << k;
        ASSERT_EQ(kPowersOfFive128[index + 1], low) << "5^-" << k;
    }
}

}  // namespace
