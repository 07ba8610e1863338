// The decimal a cell token was written as: its digits and the power of ten
// of its last digit. Where a token's value came from a decimal rendering,
// the last digit tells how finely the value was known.
#pragma once

#include <cstdint>

namespace gridcmp {

// What unitPower is where a token is not a plain decimal of at most 19
// digits (hex, inf, nan, more digits, other characters).
constexpr int kNoUnitPower = -100000000;

struct CellDecimal {
    std::uint64_t digits;  // from the first non-zero one, trailing zeros included; 0 for zero
    int unitPower;         // the power of ten of the last digit written: the value is digits * 10^unitPower
};

// Reads the token that starts at `token` and ends at the next blank or NUL
// (or a carriage return that ends the line): an optional sign, digits with
// at most one point, an optional exponent (e or E, an optional sign,
// digits); anything else is not a plain decimal. Where `significantDigits`
// is given, sets it to the count of digits from the first non-zero one (also
// past 19). Allocates nothing.
CellDecimal tokenDecimal(const char* token, int* significantDigits = nullptr);

}  // namespace gridcmp
