#include "platform/classicLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "compare/BlockResult.h"
#include "gridlog/cellValue.h"
#include "report/ReportWriter.h"
#include "report/formatDecimal10.h"

namespace {

using namespace gridcmp;

// A locale whose decimal point is a comma, where this system has one.
bool setCommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
        if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) return true;
    }
    std::setlocale(LC_ALL, "C");
    return false;
}

// A program that links the core may set a locale: cells read and figures
// print as under the C locale all the same.
TEST(ClassicLocale, ConversionsAndTextsDoNotFollowTheCallersLocale) {
    if (!setCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma here (localedef -i de_DE -f UTF-8 de_DE.UTF-8 makes one)";
    // Tokens stand in a line, which stays readable past them.
    auto inLine = [](const char* token) { return std::string(token) + std::string(kCellValueReadAhead, '\0'); };
    EXPECT_EQ(cellValue(inLine("1.5").c_str()), 1.5);
    EXPECT_EQ(cellValue(inLine("1.5x").c_str()), 1.5);     // through strtod
    EXPECT_EQ(cellValue(inLine("0x1.8p1").c_str()), 3.0);  // likewise
    EXPECT_EQ(cellValue(inLine("1,5").c_str()), 1.0);      // a comma is no decimal point in a log
    EXPECT_STREQ(formatDecimal10(0.5).chars, "0.50000000");
    EXPECT_STREQ(formatDecimal10(12.5).chars, "12.5000000");

    char text[256] = {};
    std::FILE* out = fmemopen(text, sizeof text - 1, "w");
    ASSERT_NE(out, nullptr);
    ReportWriter writer{out, true};
    BlockResult result;
    result.counter = 1234567.0;
    std::strcpy(result.label, "0.5");
    writeBlock(writer, result);
    std::fclose(out);
    EXPECT_EQ(std::string(text).substr(0, 11), "1.23457e+06");
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");  // the caller's locale is left as it was
    std::setlocale(LC_ALL, "C");
}

}  // namespace
