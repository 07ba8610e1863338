#include "gridlog/tokenDecimal.h"

namespace gridcmp {

namespace {

constexpr int kMostDigits = 19;  // more could overflow 64 bits
constexpr int kMostExponentDigits = 5;

bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

}  // namespace

TokenDecimal tokenDecimal(const char* token) {
    TokenDecimal decimal{false, 0, 0, 0};
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
        if (decimal.significantDigits == 0 && *p == '0') continue;  // leading zeros say nothing
        if (++decimal.significantDigits <= kMostDigits) {
            decimal.digits = decimal.digits * 10 + static_cast<unsigned>(*p - '0');
        }
    }
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
    if (*p != ' ' && *p != '\0') return decimal;
    decimal.unitPower = exponent - fractionDigits;
    decimal.plain = decimal.significantDigits <= kMostDigits;
    return decimal;
}

bool tokenUnitPower(const char* token, int& unitPower) {
    const char* p = token;
    p += *p == '-' || *p == '+';
    const char* start = p;
    while (isDigit(*p)) ++p;
    int integerDigits = static_cast<int>(p - start);
    int fractionDigits = 0;
    if (*p == '.') {
        const char* fraction = ++p;
        while (isDigit(*p)) ++p;
        fractionDigits = static_cast<int>(p - fraction);
    }
    if (integerDigits + fractionDigits == 0 || integerDigits + fractionDigits > kMostDigits) return false;
    int exponent = 0;
    if ((*p | 0x20) == 'e') {
        ++p;
        bool negative = *p == '-';
        p += *p == '-' || *p == '+';
        const char* digits = p;
        while (isDigit(*p) && p - digits < kMostExponentDigits) exponent = exponent * 10 + (*p++ - '0');
        if (p == digits) return false;
        exponent = negative ? -exponent : exponent;
    }
    if (*p != ' ' && *p != '\0') return false;
    unitPower = exponent - fractionDigits;
    return true;
}

}  // namespace gridcmp
