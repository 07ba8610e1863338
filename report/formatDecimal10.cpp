#include "report/formatDecimal10.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kDigits = 10;

DecimalText textOf(const char* chars) {
    DecimalText text;
    std::snprintf(text.chars, sizeof text.chars, "%s", chars);
    text.length = static_cast<int>(std::strlen(text.chars));
    return text;
}

}  // namespace

DecimalText formatDecimal10(double v) {
    if (std::isnan(v)) return textOf("nan");
    v = std::fabs(v);
    if (std::isinf(v)) return textOf("inf");

    // ecvt gives the digits the platform rounds to. After a carry (9.99999999999)
    // glibc may give eleven; the first ten are the rounded ones.
    char digits[kDecimalTextCapacity];
    int point = 0;
    int sign = 0;
    ecvt_r(v, kDigits, &point, &sign, digits, sizeof digits);

    DecimalText text;
    if (point > kDigits) {
        // Too large for ten characters: every integer digit, no point.
        text.length = std::snprintf(text.chars, sizeof text.chars, "%.0f", v);
        return text;
    }
    char* out = text.chars;
    if (point <= 0) {
        char all[2 + kDigits + kDigits] = "0.";
        int zeros = -point < kDigits ? -point : kDigits;
        std::memset(all + 2, '0', zeros);
        std::memcpy(all + 2 + zeros, digits, kDigits);
        std::memcpy(out, all, kDigits);
    } else if (point == kDigits) {
        std::memcpy(out, digits, kDigits);
    } else {
        std::memcpy(out, digits, point);
        out[point] = '.';
        std::memcpy(out + point + 1, digits + point, kDigits - 1 - point);
    }
    text.chars[kDigits] = '\0';
    text.length = kDigits;
    return text;
}
