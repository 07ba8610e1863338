// Conversion of one cell token to its value, exactly as atof converts it.
//
// Almost every token of a grid log is a plain decimal ("-7.046689e-03",
// "0.0123", "-7.0466890000000001e-03" at full precision), and converting them
// is most of the program's work. Such a token, with at most 19 digits, is
// converted here: when its digits and power of ten are exact doubles, in one
// multiplication and one division, which IEEE arithmetic rounds correctly, as
// strtod does; otherwise (17 digits and more, far exponents) by
// decimalToDouble, in 64-bit integer arithmetic. Every other token, and the
// rare one decimalToDouble cannot decide, goes to otherCellValue.
//
// The digits after the point are read eight bytes at a time, so the text must
// stay readable for kCellValueReadAhead bytes past the token.
#pragma once

#include <cstdint>
#include <cstring>

#include "gridlog/decimalToDouble.h"
#include "gridlog/tokenDecimal.h"
#include "platform/exactDoubles.h"
#include "platform/fastPaths.h"

namespace gridcmp {

constexpr int kCellValueReadAhead = 8;

namespace cellvalue_detail {

constexpr int kLargestExactPower = 22;
constexpr int kMostExactDigits = 15;
constexpr int kMostDigits = 19;  // more could overflow 64 bits
constexpr int kMostExponentDigits = 5;

constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Multiplier and divisor for each power of ten from -22 to 22: one of the two
// is 1.0, which changes nothing, so that no branch depends on the power's sign
// (neighbouring cells are large and small at random).
struct ScaleFactors {
    double multiplier[2 * kLargestExactPower + 1];
    double divisor[2 * kLargestExactPower + 1];
};

constexpr ScaleFactors makeScaleFactors() {
    ScaleFactors factors{};
    for (int power = -kLargestExactPower; power <= kLargestExactPower; ++power) {
        factors.multiplier[power + kLargestExactPower] = power > 0 ? kExactPowersOfTen[power] : 1.0;
        factors.divisor[power + kLargestExactPower] = power < 0 ? kExactPowersOfTen[-power] : 1.0;
    }
    return factors;
}

constexpr ScaleFactors kScaleFactors = makeScaleFactors();

inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

constexpr std::uint64_t kPowersOfTenInteger[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// How many of the eight bytes at p, from the first, are digits, and their value.
// A fraction's length varies from cell to cell; a loop over its digits would
// end with a mispredicted branch, so the word path reads all eight at once.
struct DigitRun {
    int length;
    std::uint64_t value;
};

// The eight bytes as one word (p[0] lowest, whatever the machine's byte
// order), the digits moved to its top with zeros below them, then converted in
// three multiplications.
inline DigitRun digitRunOfWord(std::uint64_t word) {
    std::uint64_t offsets = word ^ 0x3030303030303030u;  // digits become 0..9
    std::uint64_t notDigit =
        (((offsets & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | offsets) & 0x8080808080808080u;
    int length = notDigit ? lowestSetBit(notDigit) >> 3 : 8;
    int halfShift = 4 * (8 - length);  // two half shifts: a run of none shifts 64 bits in all
    std::uint64_t digits = ((offsets << halfShift) << halfShift) & 0x0F0F0F0F0F0F0F0Fu;
    digits = (digits * 2561) >> 8;
    digits = ((digits & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    digits = ((digits & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
    return {length, digits};
}

inline DigitRun readDigitRun(const char* p) {
#if GRIDCMP_USE_WORDS
    return digitRunOfWord(loadLittleEndian64(p));
#else
    DigitRun run{0, 0};
    for (; run.length < 8 && isDigit(p[run.length]); ++run.length) {
        run.value = run.value * 10 + static_cast<unsigned>(p[run.length] - '0');
    }
    return run;
#endif
}

}  // namespace cellvalue_detail

// The value of a token that the fast path declines: hex, inf, nan, a numeric
// prefix followed by other characters, more than 19 digits, exponents of more
// than five digits.
double otherCellValue(const char* token);

namespace cellvalue_detail {

template <bool kWithDecimal>
inline double convertCell(const char* token, CellDecimal* decimal) {
    const char* p = token;
    bool negative = *p == '-';
    p += negative;

    std::uint64_t mantissa = 0;  // wraps harmlessly past 19 digits: those are declined
    const char* integerStart = p;
    while (isDigit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    int digits = static_cast<int>(p - integerStart);
    int fractionDigits = 0;
    if (*p == '.') {
        const char* fractionStart = ++p;
        DigitRun run = readDigitRun(p);
        mantissa = mantissa * kPowersOfTenInteger[run.length] + run.value;
        p += run.length;
        if (run.length == 8) {  // full precision: sixteen digits after the point
            run = readDigitRun(p);
            mantissa = mantissa * kPowersOfTenInteger[run.length] + run.value;
            p += run.length;
            while (isDigit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');  // past sixteen
        }
        fractionDigits = static_cast<int>(p - fractionStart);
        digits += fractionDigits;
    }
    int exponent = 0;
    if ((*p | 0x20) == 'e') {
        ++p;
        bool negativeExponent = *p == '-';
        p += *p == '-' || *p == '+';
        const char* exponentStart = p;
        while (isDigit(*p) && p - exponentStart < kMostExponentDigits) exponent = exponent * 10 + (*p++ - '0');
        if (p == exponentStart) {  // "1e": strtod takes "1"
            if (kWithDecimal) *decimal = CellDecimal{0, kNoUnitPower};
            return otherCellValue(token);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    // Declined: no digit, more after the number, or more digits than 64 bits hold.
    if ((*p != ' ' && *p != '\0') || digits == 0 || digits > kMostDigits) {
        if (kWithDecimal) *decimal = CellDecimal{0, kNoUnitPower};
        return otherCellValue(token);
    }
    int powerOfTen = exponent - fractionDigits;
    if (kWithDecimal) *decimal = CellDecimal{mantissa, powerOfTen};
    std::uint64_t bits;
    // Fifteen digits are always an exact double (below 2^53); deciding by
    // their count rather than their value sends every token of a column
    // written alike the same way.
    if (digits <= kMostExactDigits && powerOfTen >= -kLargestExactPower && powerOfTen <= kLargestExactPower) {
        int index = powerOfTen + kLargestExactPower;
        double magnitude = static_cast<double>(static_cast<std::int64_t>(mantissa)) * kScaleFactors.multiplier[index] /
                           kScaleFactors.divisor[index];
        std::memcpy(&bits, &magnitude, sizeof bits);
    } else {
        DecimalToDouble converted = decimalToDouble(mantissa, powerOfTen);
        if (!converted.decided) return otherCellValue(token);
        bits = converted.bits;
    }
    // The sign set as a bit, not by a branch ("-0" gives -0.0, as strtod).
    bits |= static_cast<std::uint64_t>(negative) << 63;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace cellvalue_detail

// The value of the token that starts at `token` (not a blank) and ends at the
// next blank or NUL, bit for bit as atof gives it for the token alone: leading
// white space skipped, the longest prefix that reads as a floating-point number
// taken (decimal, hex, inf, nan), 0.0 when there is none.
inline double cellValue(const char* token) { return cellvalue_detail::convertCell<false>(token, nullptr); }

// The same, and the decimal the token was written as, as tokenDecimal reads
// it, where the token is a plain decimal of at most 19 digits (here leading
// zeros counted); else unitPower kNoUnitPower.
inline double cellValueAndDecimal(const char* token, CellDecimal& decimal) {
    return cellvalue_detail::convertCell<true>(token, &decimal);
}

}  // namespace gridcmp
