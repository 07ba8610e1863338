#include "report/formatDecimal10.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::string text(double v) { return formatDecimal10(v).chars; }

TEST(FormatDecimal10, PlacesTenDigitsByTheRoundedValue) {
    EXPECT_EQ(text(0.5), "0.50000000");
    EXPECT_EQ(text(0.0123456789), "0.01234567");
    EXPECT_EQ(text(0.0), "0.00000000");
    EXPECT_EQ(text(3e-9), "0.00000000");
    EXPECT_EQ(text(0.123456789), "0.12345678");
    EXPECT_EQ(text(1.0), "1.00000000");
    EXPECT_EQ(text(9.5), "9.50000000");
    EXPECT_EQ(text(10.0), "10.0000000");
    EXPECT_EQ(text(12.5), "12.5000000");
    EXPECT_EQ(text(123456.789), "123456.789");
    EXPECT_EQ(text(123456789.4), "123456789.");
    EXPECT_EQ(text(1234567890.4), "1234567890");
    EXPECT_EQ(text(9999999999.4), "9999999999");
}

TEST(FormatDecimal10, RoundingThatCarriesMovesThePoint) {
    EXPECT_EQ(text(9.99999999999), "10.0000000");
    EXPECT_EQ(text(0.99999999999), "1.00000000");
    EXPECT_EQ(text(0.0999999999999), "0.10000000");
    EXPECT_EQ(text(99999.99999999), "100000.000");
    EXPECT_EQ(text(999999999.99), "1000000000");
}

TEST(FormatDecimal10, LargeAndNonFiniteValues) {
    EXPECT_EQ(text(12345678901.4), "12345678901");
    EXPECT_EQ(text(9999999999.7), "10000000000");
    EXPECT_EQ(text(1e300).size(), 301u);
    EXPECT_EQ(text(std::numeric_limits<double>::max()).size(), 309u);
    EXPECT_EQ(text(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(text(std::nan("")), "nan");
    EXPECT_EQ(text(-std::nan("")), "nan");
}

TEST(FormatDecimal10, EveryTextBelowTenToTheTenHasTenCharacters) {
    for (double v = 1e-12; v < 1e10; v *= 1.0009765625) {
        DecimalText t = formatDecimal10(v);
        ASSERT_EQ(t.length, 10) << v;
        ASSERT_EQ(std::string(t.chars).size(), 10u) << v;
    }
}

}  // namespace
