// How many mantissa bits a value read from a decimal token carries: the
// fewest p (0 to 52) such that the value, rounded to p stored mantissa bits,
// still stays within half a unit of the token's last digit. A run rendered
// from fp16 values gives 10, at whatever precision it was written, as long
// as the digits tell its values apart.
#pragma once

#include <cstdint>

#include "gridlog/tokenDecimal.h"

namespace gridcmp {

// The bits of a finite double with its 52-bit mantissa field rounded to its
// top p bits (0 to 52), to nearest, ties to even; a carry goes on into the
// exponent (and may make it infinite).
std::uint64_t roundedToMantissaBits(std::uint64_t bits, int p);

// Whether `value` (finite, not 0) rounded to p mantissa bits lies within half
// a unit of the last digit of `token` (inclusive), exactly: |r - T| <= 10^u / 2.
// A token that is not plain never holds. Allocates nothing.
bool keepsToken(double value, const TokenDecimal& token, int p);

// A quicker test, for a value read from a plain decimal token whose last
// digit is at 10^unitPower: true only where keepsToken holds, because the
// rounding moves the value by less than the half unit less the most the
// value can lie from its token (half its last place); false: undecided.
bool surelyKeepsToken(double value, int unitPower, int p);

// The first of values[from] ... values[count - 1] that is finite and not 0
// and that surelyKeepsToken does not vouch for at p (`unitPowers` of each,
// kNoUnitPower where there is none); count when there is none.
int firstUnsureValue(const double* values, const int* unitPowers, int from, int count, int p);

// The fewest mantissa bits from `least` up that keep the token (keepsToken
// holds for every p from there on), 52 when none does.
int carriedBits(double value, const TokenDecimal& token, int least);

}  // namespace gridcmp
