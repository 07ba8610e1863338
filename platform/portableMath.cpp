#include "platform/portableMath.h"

#include <cmath>
#include <cstdint>

#include "platform/doubleBits.h"

namespace gridcmp {

namespace {

// The natural logarithm of m, from sqrt(1/2) to sqrt(2): 2 atanh(s) with
// s = (m - 1) / (m + 1), |s| < 0.172, whose series' terms fall below 1e-17
// of the first by s^21.
double logNearOne(double m) {
    double s = (m - 1.0) / (m + 1.0);
    double z = s * s;
    double sum = 1.0 / 23.0;
    for (int k = 10; k >= 0; --k) sum = sum * z + 1.0 / (2 * k + 1);
    return 2.0 * s * sum;
}

// x > 0 finite as m * 2^exponent, m from sqrt(1/2) to sqrt(2).
double splitNearOne(double x, int& exponent) {
    exponent = 0;
    if (x < 0x1p-1022) {  // subnormal: made normal first
        x *= 0x1p54;
        exponent = -54;
    }
    std::uint64_t bits = bitsOf(x);
    exponent += static_cast<int>(bits >> 52) - 1023;
    double m = fromBits((bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1023} << 52));
    if (m > 1.4142135623730951) {
        m *= 0.5;
        exponent += 1;
    }
    return m;
}

const double kLog2OfE = 1.4426950408889634;    // 1 / ln 2
const double kLog10OfE = 0.43429448190325182;  // 1 / ln 10
const double kLog10Of2 = 0.30102999566398120;
const double kHalfPiHigh = 1.5707963267948966;      // pi / 2, rounded ...
const double kHalfPiLow = 6.123233995736766e-17;    // ... and what the rounding left

}  // namespace

double portableLog2(double x) {
    if (!(x > 0.0) || x == HUGE_VAL) return x == 0.0 ? -HUGE_VAL : x == HUGE_VAL ? x : std::nan("");
    int exponent;
    double m = splitNearOne(x, exponent);
    return static_cast<double>(exponent) + logNearOne(m) * kLog2OfE;
}

double portableLog10(double x) {
    if (!(x > 0.0) || x == HUGE_VAL) return x == 0.0 ? -HUGE_VAL : x == HUGE_VAL ? x : std::nan("");
    int exponent;
    double m = splitNearOne(x, exponent);
    return static_cast<double>(exponent) * kLog10Of2 + logNearOne(m) * kLog10OfE;
}

double portableCos(double x) {
    double a = std::fabs(x);
    if (!(a <= kHalfPiHigh)) return std::nan("");
    if (a <= 0.78539816339744828) {  // pi / 4: the cosine's series, to a^20
        double z = a * a;
        double sum = 1.0 / 2432902008176640000.0;  // 1 / 20!
        const double factorials[] = {1.0, 2.0, 24.0, 720.0, 40320.0, 3628800.0, 479001600.0, 87178291200.0,
                                     20922789888000.0, 6402373705728000.0};  // (2k)!
        for (int k = 9; k >= 0; --k) sum = sum * -z + 1.0 / factorials[k];
        return sum;
    }
    // Near pi / 2, the sine of what is left (exactly the high part's
    // difference, plus the low part of pi / 2), to y^21.
    double y = (kHalfPiHigh - a) + kHalfPiLow;
    double z = y * y;
    double sum = 1.0 / 51090942171709440000.0;  // 1 / 21!
    const double factorials[] = {1.0, 6.0, 120.0, 5040.0, 362880.0, 39916800.0, 6227020800.0, 1307674368000.0,
                                 355687428096000.0, 121645100408832000.0};  // (2k + 1)!
    for (int k = 9; k >= 0; --k) sum = sum * -z + 1.0 / factorials[k];
    return y * sum;
}

}  // namespace gridcmp
