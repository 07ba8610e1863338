#include "gridlog/tokenDecimal.h"

#include "gridlog/cellValue.h"

namespace gridcmp {

namespace {

using cellvalue_detail::isDigit;
using cellvalue_detail::kMostDigits;

// Exponents beyond this make every value of 19 digits 0 or infinite: larger
// ones are taken as this (atof reads any count of digits).
constexpr int kLargestExponent = 10000000;

}  // namespace

CellDecimal tokenDecimal(const char* token, int* significantDigits) {
    CellDecimal decimal{0, kNoUnitPower};
    int significant = 0;
    if (significantDigits) *significantDigits = 0;
    const char* p = token;
    p += *p == '-' || *p == '+';
    int digitsSeen = 0;
    int fractionDigits = 0;
    bool point = false;
    for (;; ++p) {
        if (*p == '.' && !point) {
            point = true;
            continue;
        }
        if (!isDigit(*p)) break;
        ++digitsSeen;
        fractionDigits += point;
        if (significant == 0 && *p == '0') continue;  // leading zeros say nothing
        if (++significant <= kMostDigits) decimal.digits = decimal.digits * 10 + static_cast<unsigned>(*p - '0');
    }
    if (significantDigits) *significantDigits = significant;
    if (digitsSeen == 0) return decimal;
    int exponent = 0;
    if ((*p | 0x20) == 'e') {
        ++p;
        bool negative = *p == '-';
        p += *p == '-' || *p == '+';
        const char* start = p;
        for (; isDigit(*p); ++p) {
            exponent = exponent < kLargestExponent ? exponent * 10 + (*p - '0') : kLargestExponent;
        }
        if (p == start) return decimal;
        exponent = negative ? -exponent : exponent;
    }
    // A carriage return ending the line is the line's end, not the number's.
    if (*p == '\r' && p[1] == '\0') ++p;
    if ((*p != ' ' && *p != '\0') || significant > kMostDigits) return decimal;
    decimal.unitPower = exponent - fractionDigits;
    return decimal;
}

}  // namespace gridcmp
