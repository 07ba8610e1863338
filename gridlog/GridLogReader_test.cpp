#include "gridlog/GridLogReader.h"
#include "tests/support/memorySource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <sys/types.h>

#include "tests/TestLog.h"

namespace {

using namespace gridcmp;

TEST(ReadLine, SplitsAtNewlineOnlyAndKeepsCarriageReturnsAndTabs) {
    TestLog log("a b\r\n\nc\td\n");
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "a b\r");
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "");
    EXPECT_FALSE(atEnd(*log));
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "c\td");
    EXPECT_FALSE(atEnd(*log));  // the newline after the last line does not end the log yet
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "");
    EXPECT_TRUE(atEnd(*log));
    EXPECT_EQ(log->lineNumber(), 3);
}

TEST(ReadLine, DeliversALastLineWithoutNewlineThenEnds) {
    TestLog log("first\nlast");
    readLine(*log);
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "last");
    EXPECT_FALSE(atEnd(*log));
    EXPECT_EQ(log->unterminatedLastLine(), 2);  // noted: a log may have been cut there
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "");
    EXPECT_TRUE(atEnd(*log));
    readLine(*log);
    EXPECT_TRUE(atEnd(*log));
}

// Noted for gridcmp-study: a log written with "\r\n" line ends.
TEST(ReadLine, NotesTheFirstLineThatEndsInACarriageReturn) {
    TestLog log("a\nb\r\nc\r\n");
    readLine(*log);
    EXPECT_EQ(log->firstCarriageReturnLine(), 0);
    readLine(*log);
    readLine(*log);
    EXPECT_EQ(log->firstCarriageReturnLine(), 2);
}

TEST(ReadLine, TextEndsAtTheFirstNulByte) {
    TestLog log(std::string("ab\0 ine\nnext\n", 13));
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "ab");
    readLine(*log);
    EXPECT_EQ(lineOf(*log), "next");
}

// 1048575 characters, then one more; each line starts where the read before
// left the buffer, so both are read across several chunks.
TEST(ReadLine, AcceptsLinesOfTheLongestLengthAndFaultsFromOneMore) {
    std::string longest(kLineCapacity - 1, 'x');
    longest[12345] = 'y';
    TestLog log("a\n" + longest + "\n" + longest + "z\n");
    readLine(*log);
    readLine(*log);
    EXPECT_EQ(lineOf(*log), longest);
    EXPECT_EQ(log->state(), LogState::reading);
    readLine(*log);
    EXPECT_EQ(log->state(), LogState::lineTooLong);
    EXPECT_EQ(log->faultLine(), 3);
    EXPECT_EQ(lineOf(*log), "");
}

TEST(ReadLine, FaultsOnATooLongLastLineWithoutNewline) {
    TestLog log(std::string(kLineCapacity, 'x'));
    readLine(*log);
    EXPECT_EQ(log->state(), LogState::lineTooLong);
    EXPECT_EQ(log->faultLine(), 1);
}

TEST(ReadLine, CrossesReadChunksWithoutLosingBytes) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += std::to_string(i) + "\n";
    TestLog log(text);
    for (int i = 0; i < 100000; ++i) {
        readLine(*log);
        ASSERT_EQ(lineOf(*log), std::to_string(i));
    }
    readLine(*log);
    EXPECT_TRUE(atEnd(*log));
}

TEST(OpenLog, AnUnreadableFileGivesEmptyLinesAndNeverEnds) {
    for (const char* path : {"/nonexistent/gridcmp.log", "/tmp"}) {
        auto reader = std::make_unique<GridLogReader>();
        openLog(*reader, path);
        readStartLine(*reader);
        EXPECT_EQ(reader->state(), LogState::unopened) << path;
        EXPECT_NE(reader->systemError(), 0) << path;
        EXPECT_EQ(reader->lineLength(), 0u);
        EXPECT_FALSE(atEnd(*reader));
        closeLog(*reader);
    }
}

// A source that gives `text` and then fails, as a disk or a network file
// system can part way through a file.
TEST(ReadLine, ASourceThatBreaksIsAFaultUnlessNothingCameAtAll) {
    for (std::string text : {"", "line one\nline two\npart of three"}) {
        MemorySource source(text.data(), text.size() + 1, 5, text.size());
        auto reader = std::make_unique<GridLogReader>();
        attachLogSource(*reader, source, "net.log");
        for (int i = 0; i < 4; ++i) readLine(*reader);
        if (text.empty()) {
            EXPECT_EQ(reader->state(), LogState::unopened);  // as if it could not be opened
        } else {
            EXPECT_EQ(reader->state(), LogState::readError);
            EXPECT_EQ(reader->systemError(), EIO);
            EXPECT_EQ(reader->faultLine(), 3);
        }
        EXPECT_FALSE(atEnd(*reader));
    }
}

TEST(ReadStartLine, RetriesOnceAfterAnEmptyOrSingleBlankLine) {
    TestLog empty("\nine 1 2 3 4 5\n");
    readStartLine(*empty);
    EXPECT_EQ(lineOf(*empty), "ine 1 2 3 4 5");

    TestLog blank(" \nine\n");
    readStartLine(*blank);
    EXPECT_EQ(lineOf(*blank), "ine");

    TestLog twoBlanks("  \nine\n");
    readStartLine(*twoBlanks);
    EXPECT_EQ(lineOf(*twoBlanks), "  ");

    TestLog twoEmpty("\n\nine\n");
    readStartLine(*twoEmpty);
    EXPECT_EQ(lineOf(*twoEmpty), "");
    EXPECT_FALSE(isStartTimeLine(*twoEmpty));

    TestLog onlyBlank(" \n");
    readStartLine(*onlyBlank);
    EXPECT_TRUE(atEnd(*onlyBlank));
}

TEST(IsStartTimeLine, AcceptsDashesOrIne) {
    TestLog log("+---+\ntimeline\nTIME\n");
    readLine(*log);
    EXPECT_TRUE(isStartTimeLine(*log));
    readLine(*log);
    EXPECT_TRUE(isStartTimeLine(*log));
    readLine(*log);
    EXPECT_FALSE(isStartTimeLine(*log));
}

TEST(TakeTimeLabel, TakesTheSixthTokenWholeAndStandsOnTheFirstRow) {
    TestLog log("  a  b c d e f g\nh1\nh2\n1 0.5\n");
    readLine(*log);
    takeTimeLabel(*log);
    EXPECT_STREQ(log->timeLabel(), "f");
    EXPECT_EQ(lineOf(*log), "1 0.5");

    std::string label(40, 'L');
    TestLog longLabel("a b c d e " + label + "\n");
    readLine(*longLabel);
    takeTimeLabel(*longLabel);
    EXPECT_EQ(std::string(longLabel->timeLabel()), label);
}

TEST(TakeTimeLabel, FaultsOnFewerThanSixTokens) {
    TestLog log("x\nine a b c d\nh\nh\n");
    readLine(*log);
    readLine(*log);
    takeTimeLabel(*log);
    EXPECT_EQ(log->state(), LogState::timeLineWithoutLabel);
    EXPECT_EQ(log->faultLine(), 2);
}

TEST(AdvanceToNextBlock, FindsTheNextIneLineAndKeepsTheLabelAtTheEnd) {
    TestLog log("ine a b c d T1\nh\nh\n1 2\n\nskipped\nline a b c d T2\nh\nh\n1 3\n\n");
    readLine(*log);
    takeTimeLabel(*log);
    advanceToNextBlock(*log);
    EXPECT_STREQ(log->timeLabel(), "T2");
    EXPECT_EQ(lineOf(*log), "1 3");
    advanceToNextBlock(*log);
    EXPECT_TRUE(atEnd(*log));
    EXPECT_STREQ(log->timeLabel(), "T2");
}

TEST(ParseRow, DropsTheRowLabelAndReadsEachBlankSeparatedToken) {
    TestLog log("  4   1.5  2    abc\n4 1.5\t2.5 3\n4\n\n");
    RowValues row;
    readLine(*log);
    parseRow(*log, row, true);
    ASSERT_EQ(row.count, 3);
    EXPECT_EQ(row.values[0], 1.5);
    EXPECT_EQ(row.values[1], 2.0);
    EXPECT_EQ(row.values[2], 0.0);
    EXPECT_EQ(lineOf(*log), "  4   1.5  2    abc");  // left as it was

    readLine(*log);
    parseRow(*log, row, true);
    ASSERT_EQ(row.count, 2);
    EXPECT_EQ(row.values[0], 1.5);
    EXPECT_EQ(row.values[1], 3.0);

    readLine(*log);
    parseRow(*log, row, true);
    EXPECT_EQ(row.count, 0);
    readLine(*log);
    parseRow(*log, row, true);
    EXPECT_EQ(row.count, 0);
}

TEST(ParseRow, TakesFourHundredValuesAndFaultsOnMore) {
    std::string row400 = "r";
    for (int i = 0; i < 400; ++i) row400 += " " + std::to_string(i);
    TestLog log(row400 + "\n" + row400 + " 400\n");
    RowValues row;
    readLine(*log);
    parseRow(*log, row, true);
    EXPECT_EQ(row.count, 400);
    EXPECT_EQ(row.values[399], 399.0);
    EXPECT_EQ(log->state(), LogState::reading);
    readLine(*log);
    parseRow(*log, row, true);
    EXPECT_EQ(log->state(), LogState::rowTooWide);
    EXPECT_EQ(log->faultLine(), 2);
}

// Rows of every width up to the limit, tokens of varied lengths and runs of
// blanks, so that tokens straddle the row splitter's 64-byte steps: the values
// must be those of splitting at blanks and converting each token with atof.
TEST(ParseRow, ReadsEveryTokenOfLongRowsAsAtofDoes) {
    std::mt19937 random(3);
    const char* shapes[] = {"%.6e", "%.6f", "%g", "%.0f", "%.12g"};
    std::string text;
    std::vector<std::vector<double>> expected;
    for (int width = 0; width <= kMaxRowValues; width += 1 + static_cast<int>(random() % 13)) {
        std::string row = std::string(random() % 3, ' ') + "r" + std::to_string(width);
        std::vector<double> values;
        char token[64];
        for (int i = 0; i < width; ++i) {
            double v = std::ldexp(static_cast<double>(random()) - 2147483648.0, static_cast<int>(random() % 40) - 30);
            std::snprintf(token, sizeof token, shapes[random() % 5], v);
            row += std::string(1 + random() % 4, ' ') + token;
            values.push_back(std::atof(token));
        }
        text += row + std::string(random() % 3, ' ') + "\n";
        expected.push_back(values);
    }
    TestLog log(text);
    RowValues row;
    for (const std::vector<double>& values : expected) {
        readLine(*log);
        parseRow(*log, row, true);
        ASSERT_EQ(row.count, static_cast<int>(values.size()));
        for (int i = 0; i < row.count; ++i) ASSERT_EQ(row.values[i], values[i]) << "value " << i;
    }
}

TEST(IsBlockTerminator, BlankLinesAndDashesEndABlock) {
    TestLog log("\n   \n+-----+\n1 ---5\n \r\n1 -5\n");
    for (bool expected : {true, true, true, true, false, false}) {
        readLine(*log);
        EXPECT_EQ(isBlockTerminator(*log), expected) << lineOf(*log);
    }
}

}  // namespace
