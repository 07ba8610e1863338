// The decimal a cell token was written as: its significant digits and the
// power of ten of its last digit. Where a token's value came from a decimal
// rendering, the last digit tells how finely the value was known.
#pragma once

#include <cstdint>

namespace gridcmp {

struct TokenDecimal {
    bool plain;             // a plain decimal number of at most 19 significant digits
    std::uint64_t digits;   // its digits from the first non-zero one, trailing zeros included; 0 for zero
    int unitPower;          // the power of ten of the last digit written: the value is digits * 10^unitPower
    int significantDigits;  // how many digits `digits` has (more than 19: not plain)
};

// Reads the token that starts at `token` and ends at the next blank or NUL:
// an optional sign, digits with at most one point, an optional exponent
// (e or E, an optional sign, one to five digits). Anything else (hex, inf,
// nan, trailing characters) is not plain. Allocates nothing.
TokenDecimal tokenDecimal(const char* token);

// Only the power of ten of the token's last digit, as tokenDecimal gives it,
// in a quicker look (no digit is added up); false where the token is not a
// plain decimal, or has no digit, or more than 19 digits (leading zeros
// counted).
bool tokenUnitPower(const char* token, int& unitPower);

}  // namespace gridcmp
