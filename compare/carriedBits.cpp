#include "compare/carriedBits.h"

#include <algorithm>
#include <cmath>

#include "gridlog/cellValue.h"
#include "gridlog/decimalToDouble.h"
#include "platform/doubleBits.h"

namespace gridcmp {

namespace {

constexpr int kMantissaBits = 52;

// A non-negative integer of up to kLimbs * 32 bits, for the rare exact
// comparison of a double with a decimal.
struct BigNumber {
    static constexpr int kLimbs = 96;
    std::uint32_t limbs[kLimbs] = {};  // least significant first
    int used = 0;
};

BigNumber bigFrom(std::uint64_t value) {
    BigNumber n;
    n.limbs[0] = static_cast<std::uint32_t>(value);
    n.limbs[1] = static_cast<std::uint32_t>(value >> 32);
    n.used = value >> 32 ? 2 : value ? 1 : 0;
    return n;
}

// false where the result would not fit.
bool multiplySmall(BigNumber& n, std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < n.used; ++i) {
        std::uint64_t product = static_cast<std::uint64_t>(n.limbs[i]) * factor + carry;
        n.limbs[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry) {
        if (n.used == BigNumber::kLimbs) return false;
        n.limbs[n.used++] = static_cast<std::uint32_t>(carry);
    }
    return true;
}

bool multiplyPowerOfFive(BigNumber& n, int power) {
    constexpr std::uint32_t kFiveToThirteen = 1220703125;
    for (; power >= 13; power -= 13) {
        if (!multiplySmall(n, kFiveToThirteen)) return false;
    }
    std::uint32_t rest = 1;
    for (; power > 0; --power) rest *= 5;
    return multiplySmall(n, rest);
}

bool shiftLeft(BigNumber& n, int bits) {
    if (n.used == 0) return true;
    int words = bits / 32;
    int shift = bits % 32;
    if (n.used + words + 1 > BigNumber::kLimbs) return false;
    for (int i = n.used - 1 + 1; i >= 0; --i) {
        std::uint64_t high = i < n.used ? static_cast<std::uint64_t>(n.limbs[i]) << shift : 0;
        std::uint64_t low = i > 0 && shift ? n.limbs[i - 1] >> (32 - shift) : 0;
        n.limbs[i + words] = static_cast<std::uint32_t>(high | low);
    }
    std::fill(n.limbs, n.limbs + words, 0u);
    n.used += words + 1;
    while (n.used > 0 && n.limbs[n.used - 1] == 0) --n.used;
    return true;
}

int compareBig(const BigNumber& a, const BigNumber& b) {
    if (a.used != b.used) return a.used < b.used ? -1 : 1;
    for (int i = a.used - 1; i >= 0; --i) {
        if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
    }
    return 0;
}

// Adds 1, or takes 1 from a number of at least 1.
void stepByOne(BigNumber& n, bool up) {
    int i = 0;
    if (up) {
        while (i < n.used && ++n.limbs[i] == 0) ++i;
        if (i == n.used) n.limbs[n.used++] = 1;
    } else {
        while (n.limbs[i]-- == 0) ++i;
        while (n.used > 0 && n.limbs[n.used - 1] == 0) --n.used;
    }
}

// The sign of m * 2^binaryPower - n * 10^decimalPower, exactly; `fits`
// false where the numbers outgrow the fixed room (far outside doubles).
int compareExactly(std::uint64_t m, int binaryPower, BigNumber n, int decimalPower, bool& fits) {
    BigNumber left = bigFrom(m);
    // n * 10^d = n * 5^d * 2^d: the fives go to the side where they are a
    // whole number, then the twos.
    bool room = decimalPower >= 0 ? multiplyPowerOfFive(n, decimalPower) : multiplyPowerOfFive(left, -decimalPower);
    int twos = binaryPower - decimalPower;
    room = room && (twos >= 0 ? shiftLeft(left, twos) : shiftLeft(n, -twos));
    fits = fits && room;
    return compareBig(left, n);
}

// Whether the positive double r lies within half a unit of D * 10^u, in
// exact arithmetic: (2D - 1) * 10^u <= 2r <= (2D + 1) * 10^u.
bool withinExactly(double r, std::uint64_t digits, int unitPower) {
    int exponent;
    double fraction = std::frexp(r, &exponent);  // r = fraction * 2^exponent, fraction in [0.5, 1)
    std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int binaryPower = exponent - 52;  // 2r = m * 2^(exponent - 52)
    BigNumber twice = bigFrom(digits);
    multiplySmall(twice, 2);
    BigNumber lower = twice;
    BigNumber upper = twice;
    stepByOne(lower, false);
    stepByOne(upper, true);
    bool fits = true;
    int below = compareExactly(m, binaryPower, lower, unitPower, fits);
    int above = compareExactly(m, binaryPower, upper, unitPower, fits);
    return fits && below >= 0 && above <= 0;
}

// 10^k for k from 0 to 22, each an exact double.
constexpr const double* kPowersOfTen = cellvalue_detail::kExactPowersOfTen;

// r / 10^u, with at most two roundings; false where u is out of reach.
bool scaledToUnit(double r, int unitPower, double& scaled) {
    if (unitPower < -44 || unitPower > 44) return false;
    int first = std::min(22, std::abs(unitPower));
    int second = std::abs(unitPower) - first;
    scaled = unitPower < 0 ? r * kPowersOfTen[first] * kPowersOfTen[second]
                           : r / kPowersOfTen[first] / kPowersOfTen[second];
    return true;
}

// a * b exactly, as the rounded product and its error (Dekker's method:
// plain multiplications and additions, which nothing contracts into fused
// ones here).
void exactProduct(double a, double b, double& product, double& error) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    double aBig = kSplitter * a, bBig = kSplitter * b;
    double aHigh = aBig - (aBig - a), bHigh = bBig - (bBig - b);
    double aLow = a - aHigh, bLow = b - bHigh;
    product = a * b;
    error = ((aHigh * bHigh - product) + aHigh * bLow + aLow * bHigh) + aLow * bLow;
}

// Decides |r 10^-u - D| <= 1/2 for a unit power from -44 to 0 and any
// digits, where double arithmetic can: r 10^-u as two doubles (exactly up to
// 10^22, whose powers are exact doubles; beyond, one more product whose
// error term is rounded), D exactly as two, their difference with a few
// roundings. false: too close to the half to tell.
bool decidedNearDigits(double r, std::uint64_t digits, int unitPower, bool& within) {
    double product, error;
    if (unitPower >= -22) {
        exactProduct(r, kPowersOfTen[-unitPower], product, error);
    } else {
        double first, firstError;
        exactProduct(r, kPowersOfTen[22], first, firstError);
        exactProduct(first, kPowersOfTen[-unitPower - 22], product, error);
        error += firstError * kPowersOfTen[-unitPower - 22];
    }
    double digitsHigh = static_cast<double>(digits & ~std::uint64_t{0x7FF});  // at most 53 bits: exact
    double digitsLow = static_cast<double>(digits & 0x7FF);
    double apart = product - digitsHigh;
    double rest = error - digitsLow;
    double distance = std::fabs(apart + rest);
    double slack = (std::fabs(apart) + std::fabs(rest) + std::fabs(error) + distance) * 0x1p-50;
    within = distance < 0.5;
    return std::fabs(distance - 0.5) > slack;
}

// Decides |r - D 10^u| <= 10^u / 2 exactly for D below 2^52 and |u| up to
// 22: 2r against (2D -+ 1) 10^u, where one side is an exact double and the
// other the exact product of two, held as two doubles. Their difference
// keeps its sign through its two roundings: the first is exact wherever the
// two are within a factor of 2 of each other, and elsewhere too far apart for
// the product's error to matter; a rounding turns no number into 0.
bool withinShortDecimal(double r, std::uint64_t digits, int unitPower) {
    double lower = 2.0 * static_cast<double>(digits) - 1.0;  // exact below 2^53
    double upper = 2.0 * static_cast<double>(digits) + 1.0;
    double twice = 2.0 * r;
    if (unitPower <= 0) {  // 2r 10^-u against 2D -+ 1
        double product, error;
        exactProduct(twice, kPowersOfTen[-unitPower], product, error);
        return (product - lower) + error >= 0.0 && (product - upper) + error <= 0.0;
    }
    double lowProduct, lowError, highProduct, highError;  // 2r against (2D -+ 1) 10^u
    exactProduct(lower, kPowersOfTen[unitPower], lowProduct, lowError);
    exactProduct(upper, kPowersOfTen[unitPower], highProduct, highError);
    return (twice - lowProduct) - lowError >= 0.0 && (twice - highProduct) - highError <= 0.0;
}

}  // namespace

std::uint64_t roundedToMantissaBits(std::uint64_t bits, int p) {
    if (p >= kMantissaBits) return bits;
    int dropped = kMantissaBits - p;
    std::uint64_t unit = std::uint64_t{1} << dropped;
    std::uint64_t below = bits & (unit - 1);
    std::uint64_t half = unit >> 1;
    std::uint64_t kept = bits & ~(unit - 1);
    bool odd = (bits & unit) != 0;
    if (below > half || (below == half && odd)) kept += unit;
    return kept;
}

bool keepsToken(double value, CellDecimal decimal, int p) {
    std::uint64_t digits = decimal.digits;
    int unitPower = decimal.unitPower;
    if (unitPower == kNoUnitPower || digits == 0) return false;
    double r = fromBits(roundedToMantissaBits(bitsOf(std::fabs(value)), p));
    if (!std::isfinite(r)) return false;
    if (digits < (std::uint64_t{1} << 52) && unitPower >= -22 && unitPower <= 22) {
        return withinShortDecimal(r, digits, unitPower);
    }
    // In double arithmetic where it can tell: r 10^-u against D, which few
    // roundings can blur only within a hair of the half unit.
    bool within;
    if (unitPower >= -44 && unitPower <= 0 && decidedNearDigits(r, digits, unitPower, within)) return within;
    double scaled;
    if (digits < (std::uint64_t{1} << 40) && scaledToUnit(r, unitPower, scaled)) {
        double distance = std::fabs(scaled - static_cast<double>(digits));
        double error = scaled * 0x1p-50 + distance * 0x1p-52;
        if (distance < 0.5 - error) return true;
        if (distance > 0.5 + error) return false;
    } else if (digits < std::uint64_t{1800000000000000000}) {
        // Longer tokens: r against the doubles nearest the two bounds, which
        // tell every r but those two themselves.
        DecimalToDouble lowest = decimalToDouble(10 * digits - 5, unitPower - 1);
        DecimalToDouble highest = decimalToDouble(10 * digits + 5, unitPower - 1);
        std::uint64_t rBits = bitsOf(r);
        if (lowest.decided && highest.decided && rBits != lowest.bits && rBits != highest.bits) {
            return rBits > lowest.bits && rBits < highest.bits;  // positive doubles order as their bits
        }
    }
    return withinExactly(r, digits, unitPower);
}

namespace {

// 10^k / 2 for k from kLowestUnit to kHighestUnit, less a relative 1e-9:
// the products that build them are within 1e-13 of the exact values, and
// the margin covers them and a test's own roundings.
constexpr int kLowestUnit = -300;  // normal doubles all through
constexpr int kHighestUnit = 307;

struct HalfUnits {
    double values[kHighestUnit - kLowestUnit + 1];
};

constexpr HalfUnits makeHalfUnits() {
    HalfUnits units{};
    double up = 0.5;
    for (int k = 0; k <= kHighestUnit; ++k, up *= 10.0) units.values[k - kLowestUnit] = up * (1.0 - 1e-9);
    double down = 0.5;
    for (int k = 0; k >= kLowestUnit; --k, down /= 10.0) units.values[k - kLowestUnit] = down * (1.0 - 1e-9);
    return units;
}

constexpr HalfUnits kHalfUnits = makeHalfUnits();

// surelyKeepsToken with `dropped` = 52 - p mantissa bits dropped: in units
// of the value's last place, rounding moves it by the lesser of the dropped
// bits and what they lack to the next multiple, and its token lies within a
// half unit of it; both must stay within the token's half unit, scaled alike
// (by a power of two: exactly).
inline bool surelyKept(std::uint64_t bits, int unitPower, int dropped) {
    int field = static_cast<int>(bits >> 52);  // the sign bit clear
    // Normal values whose half last places are normal too, and whose
    // rounding cannot overflow (keepsToken then looks).
    if (field < 54 || field > 2045 || unitPower < kLowestUnit || unitPower > kHighestUnit) return false;
    std::int64_t unit = std::int64_t{1} << dropped;
    std::int64_t below = static_cast<std::int64_t>(bits) & (unit - 1);
    std::int64_t moved = std::min(below, unit - below);
    double lastPlaces = fromBits(static_cast<std::uint64_t>(2 * 1023 + 52 - field) << 52);  // 2^(52 - E)
    return static_cast<double>(moved) + 0.5 <= kHalfUnits.values[unitPower - kLowestUnit] * lastPlaces;
}

}  // namespace

bool surelyKeepsToken(double value, int unitPower, int p) {
    return p >= 0 && p <= kMantissaBits && surelyKept(bitsOf(std::fabs(value)), unitPower, kMantissaBits - p);
}

int firstUnsureValue(const double* values, const CellDecimal* decimals, int from, int count, int p) {
    int dropped = kMantissaBits - p;
    for (int i = from; i < count; ++i) {
        std::uint64_t bits = bitsOf(values[i]) & ~(std::uint64_t{1} << 63);
        if (!surelyKept(bits, decimals[i].unitPower, dropped) && bits != 0 && (bits >> 52) != 0x7FF) return i;
    }
    return count;
}

int carriedBits(double value, CellDecimal decimal, int least) {
    for (int p = least; p < kMantissaBits; ++p) {
        if (keepsToken(value, decimal, p)) return p;
    }
    return kMantissaBits;
}

}  // namespace gridcmp
