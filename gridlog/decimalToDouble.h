// The double nearest to digits * 10^power, rounded to even as strtod rounds,
// for any `digits` below 10^19 (an exact integer, not cut short) and any
// power: the method of Eisel and Lemire. The digits, shifted to the top of a
// 64-bit word, are multiplied by the power of five's 128 leading bits; the top
// of the product then holds the 54 bits needed, exactly, except in rare cases
// that this can tell: there it declines, and the caller converts the token
// another way.
#pragma once

#include <cstdint>

#include "gridlog/powersOfFive.h"
#include "platform/wideMultiply.h"

namespace gridcmp {

struct DecimalToDouble {
    bool decided;        // false: the product was too close to tell
    std::uint64_t bits;  // the double's bits, sign bit clear
};

namespace decimal_detail {

constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr int kInfinityExponent = 0x7FF;

// floor(power * log2(5)) + power + 63, exact for |power| < 400.
constexpr int binaryExponentOfPowerOfTen(int power) { return (((152170 + 65536) * power) >> 16) + 63; }

}  // namespace decimal_detail

inline DecimalToDouble decimalToDouble(std::uint64_t digits, int power) {
    using namespace decimal_detail;
    if (digits == 0 || power < kSmallestPowerOfFive) return {true, 0};
    if (power > kLargestPowerOfFive) return {true, std::uint64_t{kInfinityExponent} << kMantissaBits};

    int zeros = leadingZeros(digits);
    std::uint64_t normalized = digits << zeros;
    int index = 2 * (power - kSmallestPowerOfFive);
    Product128 product = multiply64(normalized, kPowersOfFive128[index]);
    // Below the 55 bits taken, all ones: the truncated low half of the power
    // could carry into them, so it is multiplied in too.
    constexpr std::uint64_t kBelowTaken = ~std::uint64_t{0} >> (kMantissaBits + 3);
    if ((product.high & kBelowTaken) == kBelowTaken) {
        Product128 second = multiply64(normalized, kPowersOfFive128[index + 1]);
        product.low += second.high;
        product.high += second.high > product.low;
    }
    // Still all ones: the error of the truncated power could reach the bits
    // taken. Powers of five from 5^-27 to 5^55 fit the 128 bits with no error.
    if (product.low == ~std::uint64_t{0} && (power < -27 || power > 55)) return {false, 0};

    int upperBit = static_cast<int>(product.high >> 63);
    int shift = upperBit + 64 - kMantissaBits - 3;
    std::uint64_t mantissa = product.high >> shift;
    int exponent = binaryExponentOfPowerOfTen(power) + upperBit - zeros + kExponentBias;
    if (exponent <= 0) {
        // Subnormal: fewer bits kept. No decimal of 19 digits lies halfway
        // between two subnormals, so rounding half up is rounding to nearest.
        if (-exponent + 1 >= 64) return {true, 0};
        mantissa >>= -exponent + 1;
        mantissa += mantissa & 1;
        mantissa >>= 1;
        // Rounding up may have made it the smallest normal number.
        exponent = mantissa < (std::uint64_t{1} << kMantissaBits) ? 0 : 1;
        mantissa &= ~(std::uint64_t{1} << kMantissaBits);
        return {true, (static_cast<std::uint64_t>(exponent) << kMantissaBits) | mantissa};
    }
    // Exactly halfway between two doubles (only small powers can be, and the
    // product is exact there): round to even, down when the kept bit is odd.
    if (product.low <= 1 && power >= -4 && power <= 23 && (mantissa & 3) == 1 &&
        (mantissa << shift) == product.high) {
        mantissa &= ~std::uint64_t{1};
    }
    mantissa += mantissa & 1;
    mantissa >>= 1;
    if (mantissa >= (std::uint64_t{2} << kMantissaBits)) {  // rounded up to the next power of two
        mantissa = std::uint64_t{1} << kMantissaBits;
        ++exponent;
    }
    mantissa &= ~(std::uint64_t{1} << kMantissaBits);
    if (exponent >= kInfinityExponent) return {true, std::uint64_t{kInfinityExponent} << kMantissaBits};
    return {true, (static_cast<std::uint64_t>(exponent) << kMantissaBits) | mantissa};
}

}  // namespace gridcmp
