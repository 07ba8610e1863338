#include "compare/fieldBits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "compare/bitInformation.h"
#include "compare/carriedBits.h"
#include "gridlog/cellValue.h"
#include "platform/doubleBits.h"

namespace {

using namespace gridcmp;

// The counting word, bit by bit as the positions are defined.
bool positionSet(double value, int position) {
    std::uint64_t bits = bitsOf(value);
    int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    if (position == 0) return bits >> 63;
    if (position == 1) return exponent < 0;
    if (position < kExponentPositions) return (std::abs(exponent) >> (kExponentPositions - 1 - position)) & 1;
    return (bits >> (kBitPositions - 1 - position)) & 1;
}

// The carry-save counts equal a plain count of every adjacent finite pair,
// position by position, for rows of every length around the counter's steps
// (64 words in four lanes, then eight, then one), with nan and inf breaking
// the runs; and past the point where the planes are drained.
TEST(BitPairCounts, EqualAPlainCountOfEveryAdjacentFinitePair) {
  for (bool wide : {false, true}) {
    if (!countBitsWide(wide)) continue;  // no wider path on this processor
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> exponent(-320.0, 300.0);
    BitPairCounter counter;
    BitPairCounts counted, plain;
    for (int count = 0; count < 200; ++count) {
        std::vector<double> row(count);
        for (double& value : row) {
            value = std::pow(10.0, exponent(random)) * (random() % 2 ? -1.0 : 1.0);
            if (random() % 29 == 0) value = random() % 2 ? std::nan("") : -HUGE_VAL;
            if (random() % 31 == 0) value = 0.0;
        }
        countRowPairs(counter, row.data(), count);
        for (int i = 0; i + 1 < count; ++i) {
            if (!std::isfinite(row[i]) || !std::isfinite(row[i + 1])) continue;
            ++plain.pairs;
            for (int position = 0; position < kBitPositions; ++position) {
                bool first = positionSet(row[i], position);
                bool second = positionSet(row[i + 1], position);
                plain.first[position] += first;
                plain.second[position] += second;
                plain.both[position] += first && second;
            }
        }
    }
    // 2^24 + 77 more pairs of two alternating values: the planes fill and drain.
    std::vector<double> row(1 << 16, 0.75);
    for (std::size_t i = 1; i < row.size(); i += 2) row[i] = -3.0e-300;
    for (int repeat = 0; repeat < 256; ++repeat) countRowPairs(counter, row.data(), static_cast<int>(row.size()));
    countRowPairs(counter, row.data(), 78);
    long long extra = 256LL * ((1 << 16) - 1) + 77;
    plain.pairs += extra;
    for (int position = 0; position < kBitPositions; ++position) {
        bool left = positionSet(0.75, position), right = positionSet(-3.0e-300, position);
        long long leftFirst = 256LL * (1 << 15) + 39, rightFirst = extra - leftFirst;
        plain.first[position] += left * leftFirst + right * rightFirst;
        plain.second[position] += left * rightFirst + right * leftFirst;
        plain.both[position] += (left && right) * extra;
    }
    flushBitPairs(counter, counted);
    EXPECT_EQ(counted.pairs, plain.pairs);
    for (int position = 0; position < kBitPositions; ++position) {
        EXPECT_EQ(counted.first[position], plain.first[position]) << position;
        EXPECT_EQ(counted.second[position], plain.second[position]) << position;
        EXPECT_EQ(counted.both[position], plain.both[position]) << position;
    }
  }
}

// A token's value as the reader converts it, which reads a few bytes past
// the token.
double valueOf(const char* token) {
    std::string padded = std::string(token) + std::string(kCellValueReadAhead, '\0');
    return cellValue(padded.c_str());
}

int carriedBitsOf(const char* token) { return carriedBits(valueOf(token), tokenDecimal(token), 0); }

// Where a rounded value lies exactly half a unit of its token's last digit
// away, it keeps the token (the quick tests leave such cases to the exact
// one); a hair further, it does not. Trailing zeros are digits; a rounding
// that overflows keeps nothing; tokens of more than 19 digits ask for 52.
// (Expected values worked out with exact fractions.)
TEST(CarriedBits, DecideExactlyAtTheHalfUnit) {
    EXPECT_EQ(carriedBitsOf("1.062e+00"), 4);     // 1.0625 is 0.0005 from 1.062
    EXPECT_EQ(carriedBitsOf("1.0624"), 13);       // 1.0625 is 0.0001 from it: more bits
    EXPECT_EQ(carriedBitsOf("0.2"), 0);           // 0.25 is 0.05 from it
    EXPECT_EQ(carriedBitsOf("0.20"), 3);          // 0.25 is not within 0.005
    EXPECT_EQ(carriedBitsOf("1000"), 6);          // 1000 = 1111101000b exactly
    EXPECT_EQ(carriedBitsOf("1e3"), 0);           // 1024 is within 500
    EXPECT_EQ(carriedBitsOf("0.1"), 0);
    EXPECT_EQ(carriedBitsOf("0.10000000000000001"), 51);  // 0.1 at full precision
    EXPECT_EQ(carriedBitsOf("1.7976931e308"), 24);        // fewer bits round up past the largest double
    EXPECT_EQ(carriedBitsOf("1.0000000000000000000"), 52);  // 20 digits
    EXPECT_EQ(carriedBitsOf("-2.5e-310"), 11);     // subnormal: its stored bits, leading zeros too
    // Each holds for every p from the one returned on, the quick test never
    // vouches where the exact one does not, and the reader's conversion reads
    // the same decimal as tokenDecimal (values of 17 digits and tokens far
    // from 1 take the other ways to the exact answer).
    for (const char* token : {"1.062e+00", "1.0624", "0.20", "2.2391e+01", "6.103515625e-05", "9.9999e-301",
                              "22.397127693021016", "0.053521562367677689", "1.2345678901234567e+30",
                              "3.0000000000000000"}) {
        std::string padded = std::string(token) + std::string(kCellValueReadAhead, '\0');
        CellDecimal read;
        double value = cellValueAndDecimal(padded.c_str(), read);
        CellDecimal decimal = tokenDecimal(token);
        EXPECT_EQ(read.digits, decimal.digits) << token;
        EXPECT_EQ(read.unitPower, decimal.unitPower) << token;
        for (int p = 0; p <= 52; ++p) {
            bool keeps = keepsToken(value, decimal, p);
            EXPECT_EQ(keeps, p >= carriedBits(value, decimal, 0)) << token << " p " << p;
            EXPECT_TRUE(keeps || !surelyKeepsToken(value, decimal.unitPower, p)) << token << " p " << p;
        }
    }
}

// Information per position: none in a constant or alternating field's runs
// beyond what their bits say, none without pairs; keepbits where the sum
// reaches the level.
TEST(BitInformation, CountsNothingBelowChanceAndKeepsTheLevel) {
    BitPairCounts none;
    double information[kBitPositions];
    bitInformation(none, information);
    EXPECT_EQ(informationBits(information), 0.0);
    EXPECT_EQ(keepbitsOf(information, 0.99), 0);
    // A bit that follows its neighbour half the time and agrees always: 1 bit.
    BitPairCounts agreeing;
    agreeing.pairs = 1000;
    agreeing.first[20] = agreeing.second[20] = agreeing.both[20] = 500;
    bitInformation(agreeing, information);
    EXPECT_DOUBLE_EQ(information[20], 1.0);
    EXPECT_EQ(informationBits(information), information[20]);
    EXPECT_EQ(keepbitsOf(information, 0.99), 20 - kExponentPositions + 1);
    // Independent bits, within chance: 0.
    BitPairCounts independent;
    independent.pairs = 1000;
    independent.first[30] = independent.second[30] = 500;
    independent.both[30] = 260;
    bitInformation(independent, information);
    EXPECT_EQ(information[30], 0.0);
}

}  // namespace
