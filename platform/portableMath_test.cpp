#include "platform/portableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace gridcmp;

// How many doubles apart two are.
double ulpsApart(double a, double b) {
    if (a == b) return 0.0;
    return std::fabs(a - b) / std::fabs(std::nextafter(b, HUGE_VAL) - b);
}

// Within a few units in the last place of the C library's functions, over
// the whole range of doubles, near 1, near the powers of 2, subnormal; and
// the ends as the library has them.
TEST(PortableMath, AgreesWithTheLibraryToAFewUnitsInTheLastPlace) {
    std::mt19937_64 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double worstLog2 = 0.0, worstLog10 = 0.0, worstCos = 0.0;
    for (int i = 0; i < 200000; ++i) {
        double x = std::ldexp(0.5 + 0.5 * unit(random), static_cast<int>(unit(random) * 2100) - 1070);
        if (i % 4 == 1) x = 1.0 + (unit(random) - 0.5) * 1e-3;
        if (i % 4 == 2) x = std::nextafter(std::ldexp(1.0, i % 2000 - 1000), i % 8 < 4 ? 0.0 : HUGE_VAL);
        if (std::log2(x) != 0.0) worstLog2 = std::fmax(worstLog2, ulpsApart(portableLog2(x), std::log2(x)));
        if (std::log10(x) != 0.0) worstLog10 = std::fmax(worstLog10, ulpsApart(portableLog10(x), std::log10(x)));
        double angle = (unit(random) - 0.5) * M_PI;
        if (i % 4 == 3) angle = std::nextafter(M_PI / 2, 0.0) - unit(random) * 1e-6;
        worstCos = std::fmax(worstCos, ulpsApart(portableCos(angle), std::cos(angle)));
    }
    EXPECT_LE(worstLog2, 4.0);
    EXPECT_LE(worstLog10, 4.0);
    EXPECT_LE(worstCos, 4.0);
    EXPECT_EQ(portableLog2(0.0), -HUGE_VAL);
    EXPECT_EQ(portableLog10(HUGE_VAL), HUGE_VAL);
    EXPECT_TRUE(std::isnan(portableLog2(-1.0)));
    EXPECT_EQ(portableLog2(0x1p-1074), -1074.0);
    EXPECT_EQ(portableLog10(1000.0), 3.0);
    EXPECT_EQ(portableCos(0.0), 1.0);
    EXPECT_EQ(portableCos(M_PI / 2), std::cos(M_PI / 2));
    EXPECT_TRUE(std::isnan(portableCos(2.0)));
}

}  // namespace
