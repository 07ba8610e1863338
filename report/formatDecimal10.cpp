#include "report/formatDecimal10.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/exactDoubles.h"

namespace gridcmp {

namespace {

constexpr int kDigits = 10;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

DecimalText textOf(const char* chars) {
    DecimalText text;
    std::snprintf(text.chars, sizeof text.chars, "%s", chars);
    text.length = static_cast<int>(std::strlen(text.chars));
    return text;
}

// The ten significant digits of a finite v > 0 and the position of the decimal
// point relative to them (1 for 1.5, -2 for 0.00123), exactly as the reports
// made so far have them: v is scaled into [1, 10) by powers of ten in double
// arithmetic, and the scaled value is printed with nine decimals. The scaling
// rounds, so these are not always the correctly rounded digits of v
// (1204.2097395000001 gives 1204209739, 3829245027.5 gives 3829245027); they
// are kept so that reports stay comparable. A carry (9.99999999996) gives
// eleven digits, "10000000000", the point one further on; the first ten count.
struct SignificantDigits {
    char digits[16];
    int point;
};

SignificantDigits significantDigits(double v) {
    // The smallest normal power of ten: below it, the factor for the loop
    // below would overflow, so the value is first brought up by it.
    constexpr double kSmallestNormalPowerOfTen = 1e-307;
    int exponent = 0;
    if (v < kSmallestNormalPowerOfTen) {
        v /= kSmallestNormalPowerOfTen;
        exponent = -307;
    }
    double factor = 1.0;
    if (v < 1.0) {
        do {
            factor *= 10.0;
            --exponent;
        } while (v * factor < 1.0);
        v *= factor;
    } else if (v >= 10.0) {
        do {
            factor *= 10.0;
            ++exponent;
        } while (v >= factor * 10.0);
        v /= factor;
    }
    // snprintf rounds correctly on every current C library; v is in [1, 10].
    // Its decimal point is the locale's (a comma in many, more than one byte
    // in some), so the digits are taken around whatever stands between them.
    char fixed[32];
    std::snprintf(fixed, sizeof fixed, "%.9f", v);
    SignificantDigits result{};
    int beforePoint = 0;
    while (beforePoint < 2 && isDigit(fixed[beforePoint])) ++beforePoint;
    std::memcpy(result.digits, fixed, beforePoint);
    const char* after = fixed + beforePoint;
    while (*after && !isDigit(*after)) ++after;
    std::snprintf(result.digits + beforePoint, sizeof result.digits - beforePoint, "%.9s", after);
    result.point = beforePoint + exponent;
    return result;
}

}  // namespace

DecimalText formatDecimal10(double v) {
    if (std::isnan(v)) return textOf("nan");
    v = std::fabs(v);
    if (std::isinf(v)) return textOf("inf");
    if (v == 0.0) return textOf("0.00000000");

    SignificantDigits significant = significantDigits(v);
    const char* digits = significant.digits;
    int point = significant.point;

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

}  // namespace gridcmp
