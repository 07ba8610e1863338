#include "gridlog/cellValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/doubleBits.h"

namespace {

using namespace gridcmp;

// A token inside a line ends at a blank or at the line's NUL; what follows
// must not be taken into it.
// The conversion reads ahead past the token, as it may in a log's buffer.
std::string padded(const std::string& text) { return text + std::string(kCellValueReadAhead, '\0'); }

void expectSameAsAtof(const std::string& token) {
    for (const std::string& after : {std::string(" 9"), std::string()}) {
        std::string line = padded(token + after);
        double value = cellValue(&line[0]);
        EXPECT_EQ(bitsOf(value), bitsOf(std::atof(token.c_str()))) << "token \"" << token << "\"";
        EXPECT_EQ(line, padded(token + after)) << "the line must be left as it was";
    }
}

TEST(CellValue, MatchesAtofOnAwkwardForms) {
    const char* tokens[] = {
        "0", "-0", "0.0", "-0.0", "+1.5", "-", "+", "|", ".", "-.", ".5", "-.5", "5.", "1e", "1e+", "1e-",
        "1E5", "1e+05", "-1.5e-3", "1e400", "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308",
        "0x1p3", "0X1.8p1", "0x", "inf", "-inf", "INF", "infinity", "nan", "-nan", "NaN", "nan(123)",
        "\t7", "\r5", "2\t3", "1.5\r", "1.5\t", "\v1", "\f", "e5", ".e5", "-e5", "1e99999", "1e-99999", "abc", "1a", "12abc", "--1", "1.2.3", "1e5e5", "1..2",
        "00000000000000000000123.5", "123456789012345678901234567890", "9007199254740993",
        "9007199254740992", "0.1", "0.30000000000000004", "1.7976931348623157e308",
        "1.7976931348623159e308", "1e22", "1e23", "1e-22", "1e-23", "123456789e-22", "1e0000000000000000001",
        "1e-99999999999", "0.000000000000000000000000000001", "6696567308762030e11", "9007199254740991e22",
        "4503599627370497e-22", "1234567890123456.7e5",
    };
    for (const char* token : tokens) expectSameAsAtof(token);
}

// A large generated set of tokens in the shapes a simulation renders and the
// shapes near the edges of the fast path.
TEST(CellValue, MatchesAtofBitForBitOnAMillionGeneratedTokens) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-330, 310);
    std::uniform_int_distribution<int> smallExponent(-25, 25);
    std::uniform_int_distribution<int> precision(0, 20);
    std::uniform_int_distribution<int> shape(0, 6);
    std::uniform_int_distribution<unsigned long long> sixteenDigits(1000000000000000ULL, 9007199254740992ULL);
    char token[128];
    for (int i = 0; i < 1000000; ++i) {
        double v = mantissa(random);
        int digits = precision(random);
        switch (shape(random)) {
            case 0: std::snprintf(token, sizeof token, "%.*f", digits, v); break;
            case 1: std::snprintf(token, sizeof token, "%.*e", digits, v); break;
            case 2: std::snprintf(token, sizeof token, "%.*ge%d", digits, v, smallExponent(random)); break;
            case 3: std::snprintf(token, sizeof token, "%.*ge%d", digits, v, exponent(random)); break;
            case 4: std::snprintf(token, sizeof token, "%llu", static_cast<unsigned long long>(random() >> (random() % 64))); break;
            case 5: std::snprintf(token, sizeof token, "%.*g", digits, v * 1e-7); break;
            // Exact in the fast path only if each product or quotient is
            // rounded once: a processor that rounds to a wider format first
            // gets the last bit of some of these wrong.
            default: std::snprintf(token, sizeof token, "%llue%d", sixteenDigits(random), smallExponent(random)); break;
        }
        std::string line = padded(std::string(token) + " ");
        double value = cellValue(&line[0]);
        ASSERT_EQ(bitsOf(value), bitsOf(std::atof(token))) << "token \"" << token << "\"";
    }
}

// The digits after the point are read eight bytes at a time. Runs of every
// length from 0 to 8, each followed by each kind of byte that ends a run.
TEST(ReadDigitRun, ReadsRunsOfEveryLengthFromZeroToEight) {
    using cellvalue_detail::readDigitRun;
    const char enders[] = {' ', '\0', 'e', 'E', '.', '-', '/', ':', '\x80', '\xb0', '\xff', '\t'};
    const char digitText[] = "9081726354";
    for (int length = 0; length <= 8; ++length) {
        for (char ender : enders) {
            std::string text = std::string(digitText + 1, length) + ender + "7777777";
            cellvalue_detail::DigitRun run = readDigitRun(text.c_str());
            EXPECT_EQ(run.length, length) << text;
            std::uint64_t expected = length == 0 ? 0 : std::stoull(text.substr(0, length));
            EXPECT_EQ(run.value, expected) << text;
        }
    }
    cellvalue_detail::DigitRun nine = readDigitRun("123456789 ");
    EXPECT_EQ(nine.length, 8);
    EXPECT_EQ(nine.value, 12345678u);
}

// Eight bytes read as one word must have the first byte lowest on every
// machine; on a big-endian one the load swaps them.
TEST(ReadDigitRun, ReadsWordsInTheSameByteOrderOnEveryMachine) {
    std::mt19937_64 random(8);
    for (int i = 0; i < 10000; ++i) {
        char bytes[8];
        for (char& byte : bytes) byte = static_cast<char>(random() % 3 == 0 ? '0' + random() % 10 : random());
        ASSERT_EQ(loadLittleEndian64(bytes), assembleLittleEndian64(bytes));
        cellvalue_detail::DigitRun fromLoad = cellvalue_detail::readDigitRun(bytes);
        cellvalue_detail::DigitRun fromBytes = cellvalue_detail::digitRunOfWord(assembleLittleEndian64(bytes));
        ASSERT_EQ(fromLoad.length, fromBytes.length);
        ASSERT_EQ(fromLoad.value, fromBytes.value);
    }
    EXPECT_EQ(assembleLittleEndian64("\x01\x02\x03\x04\x05\x06\x07\x08"), 0x0807060504030201u);
}

}  // namespace
