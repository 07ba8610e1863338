#include "study/escapedText.h"

#include <gtest/gtest.h>

namespace {

using namespace gridcmp;

// Labels come from logs: nothing in them may end a table's field or row,
// open a quoted field, or change a terminal line.
TEST(EscapedText, WritesControlCharactersAndBackslashesAsEscapes) {
    EXPECT_EQ(escapedText("0.5000"), "0.5000");
    EXPECT_EQ(escapedText("0.5\r"), "0.5\\r");
    EXPECT_EQ(escapedText("a\tb\nc\\d"), "a\\tb\\nc\\\\d");
    EXPECT_EQ(escapedText("\x1b[2J\x7f"), "\\x1B[2J\\x7F");
    EXPECT_EQ(escapedText("t\xc3\xa9 \xe2\x82\xac"), "t\xc3\xa9 \xe2\x82\xac");  // UTF-8 stays as it is
    EXPECT_EQ(escapedText("\xe9t\xc3"), "\\xE9t\\xC3");  // Latin-1, a cut sequence: not UTF-8
    EXPECT_EQ(escapedText("\"0.5"), "\\x220.5");  // a quote would open a quoted field
}

// The cells file puts a run and a label into a line's buffer: whole, or
// not at all.
TEST(EscapedText, PutsTheEscapesIntoABufferOnlyWhereTheyFit) {
    char buffer[9];
    EXPECT_EQ(putEscapedText(buffer, 9, "a\tb\"c"), 9);
    EXPECT_EQ(std::string(buffer, 9), "a\\tb\\x22c");
    EXPECT_EQ(putEscapedText(buffer, 8, "a\tb\"c"), -1);
    EXPECT_EQ(putEscapedText(buffer, 0, ""), 0);
}

}  // namespace
