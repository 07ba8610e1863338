#include "gridlog/cellValue.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>

namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
// More digits than this could overflow the 64-bit mantissa.
constexpr int kMostMantissaDigits = 19;

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

double strtodOfToken(char* first, char* last) {
    char saved = *last;
    *last = '\0';
    double value = std::strtod(first, nullptr);
    *last = saved;
    return value;
}

}  // namespace

double cellValue(char* first, char* last) {
    const char* p = first;
    bool negative = p < last && *p == '-';
    if (negative) ++p;

    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    while (p < last && isDigit(*p)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');  // wraps harmlessly past 19 digits
        ++digits;
        ++p;
    }
    if (p < last && *p == '.') {
        ++p;
        while (p < last && isDigit(*p)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++digits;
            ++fractionDigits;
            ++p;
        }
    }
    if (digits == 0) return strtodOfToken(first, last);

    int exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = p < last && *p == '-';
        if (p < last && (*p == '-' || *p == '+')) ++p;
        if (p == last || !isDigit(*p)) return strtodOfToken(first, last);  // "1e", "1e+": strtod takes "1"
        while (p < last && isDigit(*p) && exponent < 100000) {
            exponent = exponent * 10 + (*p - '0');
            ++p;
        }
        if (negativeExponent) exponent = -exponent;
    }
    if (p != last) return strtodOfToken(first, last);  // a prefix only, or another form

    // A whole plain decimal. When mantissa and power of ten are both exact
    // doubles, one IEEE multiplication or division rounds correctly, as strtod.
    int powerOfTen = exponent - fractionDigits;
    if (digits <= kMostMantissaDigits && mantissa <= kLargestExactInteger &&
        powerOfTen >= -kLargestExactPower && powerOfTen <= kLargestExactPower) {
        double value = static_cast<double>(mantissa);
        if (powerOfTen > 0) value *= kExactPowersOfTen[powerOfTen];
        if (powerOfTen < 0) value /= kExactPowersOfTen[-powerOfTen];
        return negative ? -value : value;
    }
    // from_chars rounds plain decimals correctly too; out of range it declines.
    double value = 0.0;
    std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec == std::errc() && result.ptr == last) return value;
    return strtodOfToken(first, last);
}
