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
// a unit of the last digit of the decimal it was read from (inclusive),
// exactly: |r - D 10^u| <= 10^u / 2. A token that was not a plain decimal
// (unitPower kNoUnitPower), and a rounding past the largest double, never
// keep it. Allocates nothing.
bool keepsToken(double value, CellDecimal decimal, int p);

// A quicker test, for a value read from a plain decimal whose last digit is
// at 10^unitPower: true only where keepsToken holds, because the rounding
// moves the value by less than the half unit less the most the value can lie
// from its token (half its last place); false: undecided.
bool surelyKeepsToken(double value, int unitPower, int p);

// The first of values[from] ... values[count - 1] that is finite and not 0
// and that surelyKeepsToken does not vouch for at p, with the decimal each
// was read from; count when there is none.
int firstUnsureValue(const double* values, const CellDecimal* decimals, int from, int count, int p);

// The fewest mantissa bits from `least` up that keep the token (keepsToken
// then holds for every p from there on: the roundings to more bits come
// nearer the value, and only at an exact tie, which rounds alike, could
// they pass it), 52 when none does.
int carriedBits(double value, CellDecimal decimal, int least);

}  // namespace gridcmp
