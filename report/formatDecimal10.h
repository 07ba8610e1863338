// The ten-character decimal text of an error mean.
#pragma once

namespace gridcmp {

// Room for every text formatDecimal10 can give: the integer digits of the
// largest double (309) and a NUL.
constexpr int kDecimalTextCapacity = 320;

struct DecimalText {
    char chars[kDecimalTextCapacity];
    int length;
};

// Ten significant digits of v, rounded, with the decimal point placed by the
// rounded value and no sign or exponent: exactly 10 characters for every v in
// [0, 9999999999.5): 0.5 gives "0.50000000", 3e-9 "0.00000000", 12.5
// "12.5000000", 9.99999999999 "10.0000000", 123456789.4 "123456789.".
// Values that round to 10^10 or more give all their integer digits, no point.
// Infinity gives "inf" and not-a-number "nan". Expects v >= 0 (the means are of
// absolute values); a negative v gives the text of its magnitude.
DecimalText formatDecimal10(double v);

}  // namespace gridcmp
