// Conversion of one cell token to its value, exactly as atof converts it.
//
// Almost every token of a grid log is a plain decimal ("-7.046689e-03",
// "0.0123"), and converting them is most of the program's work. Those with at
// most 16 digits whose value and power of ten are exact doubles are converted
// here in one multiplication or division, which IEEE arithmetic rounds
// correctly, as strtod does. Every other token goes to scanOtherCellValue.
//
// Runs of digits are read eight bytes at a time, so the text must stay
// readable for kCellValueReadAhead bytes past the end of the line.
#pragma once

#include <cstdint>
#include <cstring>

constexpr int kCellValueReadAhead = 16;

namespace cellvalue_detail {

constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;

inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }
inline bool endsToken(char c) { return c == ' ' || c == '\0'; }

// How many of the eight bytes at p, from the first, are digits; and their value.
// Reads the bytes as one little-endian word, without a branch: the signs and
// formats of neighbouring cells vary at random, and mispredicted branches
// would cost more than the conversion.
struct DigitRun {
    int length;
    std::uint64_t value;
};

inline DigitRun readDigitRun(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    std::uint64_t offsets = word ^ 0x3030303030303030u;  // digits become 0..9
    std::uint64_t notDigit =
        (((offsets & 0x7F7F7F7F7F7F7F7Fu) + 0x7676767676767676u) | offsets) & 0x8080808080808080u;
    int length = notDigit ? __builtin_ctzll(notDigit) >> 3 : 8;
    // The run moved to the top bytes, zeros below it: an eight-digit number with
    // leading zeros, converted in three multiplications. Two half shifts, as a
    // run of none shifts by 64 bits in all.
    int halfShift = 4 * (8 - length);
    std::uint64_t digits = ((offsets << halfShift) << halfShift) & 0x0F0F0F0F0F0F0F0Fu;
    digits = (digits * 2561) >> 8;
    digits = ((digits & 0x00FF00FF00FF00FFu) * 6553601) >> 16;
    digits = ((digits & 0x0000FFFF0000FFFFu) * 42949672960001u) >> 32;
    return {length, digits};
}

constexpr std::uint64_t kPowersOfTenInteger[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Multiplier and divisor for each power of ten from -22 to 22: one of the two
// is 1.0, which changes nothing, so every conversion is one multiplication and
// one division without a branch on the sign of the power.
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

}  // namespace cellvalue_detail

// The value of a token that the fast path declines: hex, inf, nan, a numeric
// prefix followed by other characters, too many digits, a far exponent.
double scanOtherCellValue(char* token, char** tokenEnd);

// Reads the token that starts at `token` (not a blank) and ends at the next
// blank or NUL, sets *tokenEnd to that end, and returns the token's value bit
// for bit as atof gives it for the token alone: leading white space skipped,
// the longest prefix that reads as a floating-point number taken (decimal, hex,
// inf, nan), 0.0 when there is none. The text is left as it was.
inline double scanCellValue(char* token, char** tokenEnd) {
    using namespace cellvalue_detail;
    const char* p = token;
    bool negative = *p == '-';
    p += negative;

    DigitRun integer = readDigitRun(p);
    p += integer.length;
    std::uint64_t mantissa = integer.value;
    int digits = integer.length;
    int fractionDigits = 0;
    if (*p == '.') {
        DigitRun fraction = readDigitRun(++p);
        p += fraction.length;
        mantissa = mantissa * kPowersOfTenInteger[fraction.length] + fraction.value;
        fractionDigits = fraction.length;
        digits += fractionDigits;
    }
    // An exponent, or none, read the same way: with none, the run is empty.
    bool hasExponent = (*p | 0x20) == 'e';
    const char* exponentSign = p + hasExponent;
    bool negativeExponent = hasExponent & (*exponentSign == '-');
    const char* exponentDigits = exponentSign + (hasExponent & (*exponentSign == '-' || *exponentSign == '+'));
    DigitRun exponent = readDigitRun(exponentDigits);
    int exponentValue = static_cast<int>(exponent.value);
    exponentValue = negativeExponent ? -exponentValue : exponentValue;
    p = hasExponent ? exponentDigits + exponent.length : p;

    // Declined: no digit, "1e" (strtod takes "1"), more after the number (a run
    // of eight may go on), or a value or power of ten that is not exact.
    int powerOfTen = exponentValue - fractionDigits;
    if (digits == 0 || (hasExponent && exponent.length == 0) || !endsToken(*p) ||
        mantissa > kLargestExactInteger || powerOfTen < -kLargestExactPower || powerOfTen > kLargestExactPower) {
        return scanOtherCellValue(token, tokenEnd);
    }
    *tokenEnd = const_cast<char*>(p);
    int index = powerOfTen + kLargestExactPower;
    double magnitude = static_cast<double>(mantissa) * kScaleFactors.multiplier[index] / kScaleFactors.divisor[index];
    // The sign set as a bit, not by a branch ("-0" gives -0.0, as strtod).
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    bits |= static_cast<std::uint64_t>(negative) << 63;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
