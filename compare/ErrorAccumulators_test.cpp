#include "compare/ErrorAccumulators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "gridlog/RowValues.h"

#include "platform/doubleBits.h"

namespace {

using namespace gridcmp;

// The sums must be exactly those of adding each cell's terms in order.
TEST(RowTerms, SumsTheTermsOfEveryCellInOrder) {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    std::uniform_int_distribution<int> kind(0, 19);
    for (int count : {0, 1, 2, 3, 7, 399, 400}) {
        ErrorAccumulators fast;
        ErrorAccumulators slow;
        RowTerms terms;
        for (int row = 0; row < 50; ++row) {
            double s[kMaxRowValues];
            double q[kMaxRowValues];
            for (int i = 0; i < count; ++i) {
                s[i] = value(random);
                q[i] = s[i] * (1.0 + 1e-3 * value(random) / 1e3);
                if (kind(random) == 0) q[i] = 0.0;  // inf, or nan with s = 0
                if (kind(random) == 0) s[i] = 0.0;
                if (kind(random) == 0) q[i] = -0.0;
            }
            computeRowTerms(terms, s, q, count);
            addRowTerms(fast, terms, count);
            for (int i = 0; i < count; ++i) {
                double relative = std::fabs(1.0 - s[i] / q[i]);
                double absolute = std::fabs(s[i] - q[i]);
                slow.blockRelative += relative;
                slow.totalRelative += relative;
                slow.blockAbsolute += absolute;
                slow.totalAbsolute += absolute;
            }
            if (row % 10 == 9) {
                startNextBlock(fast);
                startNextBlock(slow);
            }
        }
        EXPECT_EQ(bitsOf(fast.blockRelative), bitsOf(slow.blockRelative)) << count;
        EXPECT_EQ(bitsOf(fast.totalRelative), bitsOf(slow.totalRelative)) << count;
        EXPECT_EQ(bitsOf(fast.blockAbsolute), bitsOf(slow.blockAbsolute)) << count;
        EXPECT_EQ(bitsOf(fast.totalAbsolute), bitsOf(slow.totalAbsolute)) << count;
    }
}

}  // namespace
