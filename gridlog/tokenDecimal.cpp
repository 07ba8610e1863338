#include "gridlog/tokenDecimal.h"

namespace gridcmp {

namespace {

constexpr int kMostDigits = 19;  // more could overflow 64 bits
constexpr int kMostExponentDigits = 5;

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

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
        while (isDigit(*p) && p - start < kMostExponentDigits) exponent = exponent * 10 + (*p++ - '0');
        if (p == start) return decimal;
        exponent = negative ? -exponent : exponent;
    }
    if ((*p != ' ' && *p != '\0') || significant > kMostDigits) return decimal;
    decimal.unitPower = exponent - fractionDigits;
    return decimal;
}

}  // namespace gridcmp
