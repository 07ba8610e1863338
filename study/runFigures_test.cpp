#include "study/runFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "compare/runComparison.h"
#include "tests/TestLog.h"

namespace {

using namespace gridcmp;

// The table's header and one row, written by the table's own writer and read
// back as numbers by name.
std::map<std::string, double> tableRowOf(const BlockRow& row) {
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    writeTableHeader(out, *row.settings);
    writeTableRow(out, row);
    std::fclose(out);
    std::istringstream lines(std::string(text, length));
    std::free(text);
    std::string header, values;
    std::getline(lines, header);
    std::getline(lines, values);
    std::istringstream names(header), numbers(values);
    std::map<std::string, double> columns;
    std::string name, number;
    while (std::getline(names, name, '\t') && std::getline(numbers, number, '\t')) {
        columns[name] = std::strtod(number.c_str(), nullptr);
    }
    return columns;
}

struct Blocks : ComparisonReceiver {
    Blocks() {
        // Every figure there is: weights, a tolerance and bits too.
        kept.settings.weights.kind = RowWeights::Kind::latitudes;
        kept.settings.weights.lastLatitude = 60.0;
        kept.settings.tolerance = 0.3;
        kept.settings.bits = true;
    }
    BlockStatistics* statistics() override { return &kept; }
    void blockCompleted(const BlockResult& result) override {
        BlockRow row = blockRowOf("run", result);
        std::map<std::string, double> columns = tableRowOf(row);
        std::map<std::string, double> figures;
        for (int i = 0; i < runFigureCount(); ++i) {
            const char* name = runFigureName(i);
            double value = std::nan("unset");
            // A limit every number crosses: the value is the block's figure.
            Gate gate{name, true, -std::numeric_limits<double>::infinity(), name};
            bool crossed = blockCrosses(row, gate, value);
            if (hasBlockFigure(name)) {
                // Blocks this small hold no information above chance: the
                // share of it kept is nan for want of any, and crosses nothing.
                bool wantsInformation = std::string(name) == "information_kept" && std::isnan(value);
                EXPECT_TRUE(crossed || wantsInformation) << name;
                figures[name] = value;
            } else {
                EXPECT_FALSE(crossed) << name;
            }
        }
        blocks.push_back({columns, figures});
    }
    BlockStatistics kept;
    // Per block: the table's numbers by column, the gates' figures by name.
    std::vector<std::pair<std::map<std::string, double>, std::map<std::string, double>>> blocks;
};

// Every figure a gate follows block by block gives the block's own value: the
// table's column of the same name, or (the means, over compared cells) the
// table's block mean where every cell of the block was compared.
TEST(RunFigures, EveryGateFigureResolvesToTheBlocksOwnValue) {
    // Figures of distinct values in the first block; nan and inf cells of
    // either log, counted apart, in the second.
    const std::string original = "time line a b c 1.0\nh\nh\n1 1.5 -2 4\n2 0.25 8 3\n\n"
                                 "time line a b c 2.0\nh\nh\n1 inf 1 nan\n2 1 nan 3\n\n";
    const std::string quantized = "time line a b c 1.0\nh\nh\n1 1.25 -2.5 0\n2 0.5 7 3\n\n"
                                  "time line a b c 2.0\nh\nh\n1 1 nan 2\n2 inf 1 3\n\n";
    TestLog originalLog(original), quantizedLog(quantized);
    Blocks run;
    runComparison(*originalLog, *quantizedLog, run);
    ASSERT_EQ(run.blocks.size(), 2u);
    for (const auto& [columns, figures] : run.blocks) {
        ASSERT_FALSE(figures.empty());
        for (const auto& [name, value] : figures) {
            std::string column = name == "relative_mean" ? "block_relative"
                                 : name == "absolute_mean" ? "block_absolute"
                                                           : name;
            ASSERT_EQ(columns.count(column), 1u) << name << " has no column " << column;
            double expected = columns.at(column);
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(value)) << name;
            } else {
                EXPECT_EQ(value, expected) << name;
            }
        }
    }
}

}  // namespace
