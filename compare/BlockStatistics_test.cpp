#include "compare/BlockStatistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace gridcmp;

// One row of cells into fresh statistics, its block ended.
const StatisticsPart& blockOf(BlockStatistics& statistics, const std::vector<double>& s, const std::vector<double>& q) {
    startStatistics(statistics);
    RowTerms terms(static_cast<int>(s.size()));
    computeRowTerms(terms, s.data(), q.data(), static_cast<int>(s.size()));
    addRowStatistics(statistics, s.data(), q.data(), terms, static_cast<int>(s.size()), RowAt{1, 1, 1});
    mergeBlockIntoRun(statistics);
    return statistics.block;
}

// Each quantile lies within a relative 2^-10 of the exact order statistic
// (the value at rank ceil(p n), nan above inf), and is 0, inf or nan exactly
// where that is; for errors of many magnitudes, repeated ones, and counts
// where p n is whole.
TEST(ErrorQuantiles, LieWithinTheirBoundOfTheOrderStatistic) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    for (int count : {1, 2, 10, 999, 1000, 1001, 4000}) {
        for (int shape = 0; shape < 3; ++shape) {
            std::vector<double> s(count), q(count, 0.0);
            for (int i = 0; i < count; ++i) {
                s[i] = shape == 0 ? std::pow(10.0, exponent(random)) : (i % 7) * 0.125;
                if (shape == 2 && i % 100 == 99) s[i] = i % 200 == 99 ? HUGE_VAL : std::nan("");
            }
            BlockStatistics statistics;
            const StatisticsPart& block = blockOf(statistics, s, q);
            std::vector<double> errors(s);  // |s - 0|
            std::sort(errors.begin(), errors.end(), [](double a, double b) { return std::isnan(b) && !std::isnan(a) ? true : a < b; });
            const long long perMille[] = {500, 900, 990, 999};
            for (int k = 0; k < kQuantileCount; ++k) {
                double exact = errors[static_cast<std::size_t>((count * perMille[k] + 999) / 1000 - 1)];
                double found = block.quantiles[k];
                if (std::isnan(exact) || exact == 0.0 || std::isinf(exact)) {
                    EXPECT_TRUE(std::isnan(exact) ? std::isnan(found) : found == exact) << count << " " << k;
                } else {
                    EXPECT_LE(std::fabs(found - exact), std::ldexp(exact, -10)) << count << " " << k;
                }
            }
        }
    }
}

// A row's digits of agreement, summed through a product of ratios, agree
// with a logarithm per cell: for ratios near the smallest (neighbouring
// doubles), near 2 (opposite signs), subnormal values, equal cells, and rows
// long enough for the product to need bringing back many times.
TEST(DigitsOfAgreement, AgreeWithALogarithmPerCell) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(0.5, 1.0);
    for (int count : {1, 5, 33, 4096, 65536}) {
        std::vector<double> s(count), q(count);
        for (int i = 0; i < count; ++i) {
            double x = unit(random) * std::ldexp(1.0, static_cast<int>(i % 200) - 100);
            switch (i % 5) {
                case 0: s[i] = x; q[i] = std::nextafter(x, 0.0); break;
                case 1: s[i] = x; q[i] = -x * unit(random); break;
                case 2: s[i] = 5e-324 * (i % 9 + 1); q[i] = 5e-324 * (i % 7 + 1); break;
                case 3: s[i] = x; q[i] = x; break;
                default: s[i] = x; q[i] = static_cast<float>(x); break;
            }
        }
        double sum = 0.0, fewest = 17.0;
        for (int i = 0; i < count; ++i) {
            double digits = s[i] == q[i] ? 17.0 : -std::log10(std::fabs(s[i] - q[i]) / std::max(std::fabs(s[i]), std::fabs(q[i])));
            sum += digits;
            fewest = std::min(fewest, digits);
        }
        BlockStatistics statistics;
        Figures figures = figuresOf(blockOf(statistics, s, q));
        EXPECT_NEAR(figures.digitsMean, sum / count, 1e-13 * std::fabs(sum / count)) << count;
        EXPECT_NEAR(figures.digitsMin, fewest, 1e-14 * std::fabs(fewest)) << count;
        s[count / 2] = std::nan("");
        EXPECT_TRUE(std::isnan(figuresOf(blockOf(statistics, s, q)).digitsMean));
        EXPECT_TRUE(std::isnan(figuresOf(blockOf(statistics, s, q)).digitsMin));
    }
}

// Rows weigh the cosine of their latitude, evenly spaced over the block's
// rows, known only when it ends; rows beyond given weights weigh nan.
TEST(RowWeights, LatitudesSpreadOverTheBlocksRowsAndGivenWeightsEnd) {
    RowWeights latitudes;
    latitudes.kind = RowWeights::Kind::latitudes;
    latitudes.firstLatitude = -90.0;
    latitudes.lastLatitude = 90.0;
    EXPECT_EQ(rowWeight(latitudes, 3, 5), 1.0);
    EXPECT_DOUBLE_EQ(rowWeight(latitudes, 2, 5), std::cos(-45.0 * M_PI / 180.0));
    EXPECT_DOUBLE_EQ(rowWeight(latitudes, 1, 1), std::cos(-90.0 * M_PI / 180.0));
    RowWeights given;
    given.kind = RowWeights::Kind::perRow;
    given.values = {2.0, 0.5};
    EXPECT_EQ(rowWeight(given, 2, 9), 0.5);
    EXPECT_TRUE(std::isnan(rowWeight(given, 3, 9)));

    // Two rows of errors 1 and 3, weighed 3 and 1: a weighted mean |s - q|
    // of 1.5, the plain one 2.
    BlockStatistics statistics;
    statistics.settings.weights = given;
    statistics.settings.weights.values = {3.0, 1.0};
    startStatistics(statistics);
    double s[2][2] = {{1, 1}, {3, 3}}, q[2][2] = {{0, 0}, {0, 0}};
    for (int row = 0; row < 2; ++row) {
        RowTerms terms(2);
        computeRowTerms(terms, s[row], q[row], 2);
        addRowStatistics(statistics, s[row], q[row], terms, 2, RowAt{row + 1, row + 1, row + 1});
    }
    mergeBlockIntoRun(statistics);
    Figures figures = figuresOf(statistics.block);
    EXPECT_EQ(figures.absoluteMeanWeighted, 1.5);
    EXPECT_EQ(figures.bias, 1.5);
    EXPECT_EQ(figuresOf(statistics.run).originalMean, 1.5);
    EXPECT_EQ(statistics.block.rowsWithoutWeight, 0);
}

}  // namespace
