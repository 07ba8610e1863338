#include "platform/wideMultiply.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace gridcmp;

// The product from 32-bit halves is the one 32-bit machines take; where the
// compiler has 128-bit integers it must give what they give.
TEST(Multiply64, FromHalvesGivesTheFullProduct) {
    std::mt19937_64 random(64);
    const std::uint64_t edges[] = {0, 1, 0xFFFFFFFFu, 0x100000000u, ~std::uint64_t{0}, std::uint64_t{1} << 63};
    for (std::uint64_t a : edges) {
        for (std::uint64_t b : edges) {
            Product128 product = multiplyFrom32BitHalves(a, b);
            EXPECT_EQ(product.low, a * b);
        }
    }
    Product128 largest = multiplyFrom32BitHalves(~std::uint64_t{0}, ~std::uint64_t{0});
    EXPECT_EQ(largest.high, ~std::uint64_t{0} - 1);
    EXPECT_EQ(largest.low, 1u);
#ifdef __SIZEOF_INT128__
    __extension__ typedef unsigned __int128 Wide;
    for (int i = 0; i < 100000; ++i) {
        std::uint64_t a = random() >> (random() % 64), b = random() >> (random() % 64);
        Product128 product = multiplyFrom32BitHalves(a, b);
        Wide wide = static_cast<Wide>(a) * b;
        ASSERT_EQ(product.high, static_cast<std::uint64_t>(wide >> 64)) << a << " * " << b;
        ASSERT_EQ(product.low, static_cast<std::uint64_t>(wide)) << a << " * " << b;
    }
#endif
    EXPECT_EQ(leadingZeros(1), 63);
    EXPECT_EQ(leadingZeros(~std::uint64_t{0}), 0);
    EXPECT_EQ(leadingZeros(0x00F0000000000000u), 8);
}

}  // namespace
