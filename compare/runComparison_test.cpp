#include "compare/runComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/TestLog.h"

namespace {

using namespace gridcmp;

// A result as received, its label kept (the result's is valid only then).
struct Received : BlockResult {
    std::string wholeLabel;
};

struct Comparison : ComparisonReceiver {
    void blockCompleted(const BlockResult& result) override {
        results.push_back(Received{result, result.label});
    }
    void comparisonEnded(const PairingCounts& passedOver) override { counts = passedOver; }
    void labelsOutOfNumericOrder(const char* skipped, const char* other, bool skippedIsOriginal) override {
        skippedLabel = skipped;
        otherLabel = other;
        skippedWasOriginal = skippedIsOriginal;
    }
    RunEnd end;
    PairingCounts counts;
    std::vector<Received> results;
    std::string skippedLabel;
    std::string otherLabel;
    bool skippedWasOriginal = false;
};

Comparison compare(const std::string& original, const std::string& quantized) {
    TestLog originalLog(original, "s.log");
    TestLog quantizedLog(quantized, "q.log");
    Comparison run;
    run.end = runComparison(*originalLog, *quantizedLog, run);
    return run;
}

std::string block(const std::string& label, const std::string& rows, const std::string& terminator = "\n") {
    return "time line a b c " + label + "\nh\nh\n" + rows + terminator;
}

TEST(CompareLogs, MeansOfOneRow) {
    Comparison run = compare(block("0.0", "1 1 2\n"), block("0.0", "1 2 2\n"));
    EXPECT_EQ(run.end, RunEnd::logEnded);
    ASSERT_EQ(run.results.size(), 1u);
    const Received& r = run.results[0];
    EXPECT_EQ(r.counter, 0.0);
    EXPECT_EQ(r.wholeLabel, "0.0");
    EXPECT_EQ(r.columns, 2);
    EXPECT_EQ(r.rows, 1);
    EXPECT_EQ(r.cells, 2);
    EXPECT_EQ(r.blockRelativeMean, 0.25);
    EXPECT_EQ(r.totalRelativeMean, 0.25);
    EXPECT_EQ(r.blockAbsoluteMean, 0.5);
    EXPECT_EQ(r.totalAbsoluteMean, 0.5);
}

TEST(CompareLogs, TotalsRunOnAndAreDividedByOneBlocksCells) {
    std::string rows1 = "1 1 1 1 1\n2 1 1 1 1\n3 1 1 1 1\n";
    std::string rows2 = "1 1.5 1.5 1.5 1.5\n2 1.5 1.5 1.5 1.5\n3 1.5 1.5 1.5 1.5\n";
    Comparison run = compare(block("1", rows1) + block("2", rows1, "+-----+\n"), block("1", rows2) + block("2", rows2));
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[1].counter, 1.0);
    EXPECT_EQ(run.results[1].cells, 12);
    EXPECT_EQ(run.results[1].blockAbsoluteMean, 0.5);
    EXPECT_EQ(run.results[1].totalAbsoluteMean, 1.0);
}

TEST(CompareLogs, SkipsBlocksWithoutAPartnerOnEitherSide) {
    std::string row = "1 1\n";
    Comparison run = compare(block("2", row) + block("4", row) + block("7", row),
                      block("1", row) + block("2", row) + block("5", row) + block("7", row));
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].wholeLabel, "2");
    EXPECT_EQ(run.results[0].counter, 0.0);
    EXPECT_EQ(run.results[1].wholeLabel, "7");
    EXPECT_EQ(run.results[1].counter, 1.0);
}

TEST(CompareLogs, ZeroQuantizedValuesGiveInfinityOrNan) {
    Comparison run = compare(block("t", "1 1 0\n"), block("t", "1 0 0\n"));
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_TRUE(std::isnan(run.results[0].blockRelativeMean));
    EXPECT_EQ(run.results[0].blockAbsoluteMean, 0.5);

    run = compare(block("t", "1 1 1\n"), block("t", "1 0 1\n"));
    EXPECT_TRUE(std::isinf(run.results[0].blockRelativeMean));
}

TEST(CompareLogs, ALastRowWithoutNewlineCompletesItsBlock) {
    Comparison run = compare(block("t", "1 1\n2 3", ""), block("t", "1 1\n2 3\n"));
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.results[0].rows, 2);
}

TEST(CompareLogs, SurplusOriginalValuesAndQuantizedRowsAreIgnored) {
    Comparison run = compare(block("t", "1 1 1 9\n") + block("u", "1 2\n"), block("t", "1 1 1\n2 7 7\n") + block("u", "1 2\n"));
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].columns, 2);
    EXPECT_EQ(run.results[0].rows, 1);
    EXPECT_EQ(run.results[0].blockAbsoluteMean, 0.0);
}

TEST(CompareLogs, StopsOnBlocksOfDifferentShapes) {
    Comparison narrower = compare(block("t", "1 1\n"), block("t", "1 1 2\n"));
    EXPECT_EQ(narrower.end, RunEnd::blockShapesDiffer);
    EXPECT_TRUE(narrower.results.empty());

    Comparison shorter = compare(block("t", "1 1\n2 2\n"), block("t", "1 1\n"));
    EXPECT_EQ(shorter.end, RunEnd::blockShapesDiffer);
}

TEST(CompareLogs, AnEmptyRowIsARowOfNoValues) {
    Comparison run = compare(block("t", "\n", ""), block("t", "\n", ""));
    ASSERT_EQ(run.results.size(), 1u);
    EXPECT_EQ(run.results[0].cells, 0);
    EXPECT_TRUE(std::isnan(run.results[0].blockAbsoluteMean));
}

TEST(CompareLogs, StopsAtAFaultInEitherLog) {
    std::string wide = "r";
    for (int i = 0; i < 401; ++i) wide += " 1";
    Comparison run = compare(block("t", "1 1\n" + wide + "\n"), block("t", "1 1\n1 1\n"));
    EXPECT_EQ(run.end, RunEnd::originalFault);
}

// What a run passes over is counted, for gridcmp-study to say.
TEST(CompareLogs, CountsWhatItPassesOver) {
    std::string row = "1 1 2\n";
    Comparison run = compare(block("0.5", row) + block("1.0", "1 1 2 3\n") + block("2.0", row),
                             block("0.5", row + "2 5 5\n") + block("0.7", row) + block("1.0", row) + block("2.0", row));
    EXPECT_EQ(run.end, RunEnd::logEnded);
    EXPECT_EQ(run.results.size(), 3u);
    EXPECT_EQ(run.counts.unpairedOriginal, 0);
    EXPECT_EQ(run.counts.unpairedQuantized, 1);  // 0.7
    EXPECT_EQ(run.counts.widerOriginalRows, 1);  // 1.0: three values against two
    EXPECT_EQ(run.counts.firstWiderOriginalLine, 9);
    EXPECT_EQ(run.counts.longerQuantizedBlocks, 1);  // 0.5: two rows against one
    EXPECT_EQ(run.counts.firstLongerQuantizedLine, 5);
    EXPECT_FALSE(run.counts.labelsOutOfNumericOrder);
}

// "10.0" sorts before "9.5": the quantized block 10.0 is skipped for want of a
// partner, though its time comes after 9.5; a missing block then loses all
// the later ones.
TEST(CompareLogs, NotesLabelsWhoseByteOrderIsNotTheirNumericOrder) {
    std::string row = "1 1\n";
    Comparison run = compare(block("9.0", row) + block("9.5", row) + block("10.0", row),
                             block("9.0", row) + block("10.0", row));
    EXPECT_EQ(run.results.size(), 1u);
    EXPECT_TRUE(run.counts.labelsOutOfNumericOrder);
    EXPECT_FALSE(run.skippedWasOriginal);
    EXPECT_EQ(run.skippedLabel, "10.0");
    EXPECT_EQ(run.otherLabel, "9.5");

    Comparison spelled = compare(block("0.50", row), block("0.5000", row) + block("x", row));
    EXPECT_FALSE(spelled.counts.labelsOutOfNumericOrder);  // equal numbers; text labels are not numbers
}

// Each result carries the sums and every cell so far, for means over them.
TEST(CompareLogs, ResultsCarryTheSumsAndTheCellsSoFar) {
    Comparison run = compare(block("1", "1 1 1\n2 1 1\n") + block("2", "1 1 1 1\n"),
                             block("1", "1 2 2\n2 2 2\n") + block("2", "1 3 3 3\n"));
    ASSERT_EQ(run.results.size(), 2u);
    EXPECT_EQ(run.results[0].totalCellsCompared, 4);
    EXPECT_EQ(run.results[1].totalCellsCompared, 7);
    EXPECT_EQ(run.results[1].sums.totalAbsolute, 4.0 + 6.0);
    EXPECT_EQ(run.results[1].sums.blockAbsolute, 6.0);
}

}  // namespace
