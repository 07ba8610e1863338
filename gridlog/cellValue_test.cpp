#include "gridlog/cellValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <cfloat>
#include <cmath>
#include <memory>

#include "gridlog/GridLogReader.h"
#include "gridlog/tokenStarts.h"
#include "tests/TestLog.h"
#include "platform/doubleBits.h"

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

// Every token converted as a cell of a data row, on every path this machine
// has for splitting rows, must give atof's bits. Rows of up to 400 tokens,
// separated by one to three blanks.
void expectRowsMatchAtof(const std::vector<std::string>& tokens) {
    std::vector<std::string> rows;
    std::vector<std::vector<std::uint64_t>> expected;
    for (std::size_t first = 0; first < tokens.size(); first += kMaxRowValues) {
        std::string row;
        std::vector<std::uint64_t> bits;
        for (std::size_t i = first; i < tokens.size() && i < first + kMaxRowValues; ++i) {
            row += std::string(1 + i % 3, ' ') + tokens[i];
            bits.push_back(bitsOf(std::atof(tokens[i].c_str())));
        }
        rows.push_back(row);
        expected.push_back(bits);
    }
    std::string text;
    for (const std::string& row : rows) text += row + "\n";
    auto values = std::make_unique<RowValues>();
    TokenPath paths[kTokenPathCount];
    int pathCount = availableTokenPaths(paths);
    const TokenPath selected = selectedTokenPath();
    for (int p = 0; p < pathCount; ++p) {
        ASSERT_TRUE(selectTokenPath(paths[p]));
        TestLog log(text);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            readLine(*log);
            parseRow(*log, *values, false);
            ASSERT_EQ(values->count, static_cast<int>(expected[r].size()));
            for (int i = 0; i < values->count; ++i) {
                ASSERT_EQ(bitsOf(values->values[i]), expected[r][i])
                    << "token \"" << tokens[r * kMaxRowValues + i] << "\" on the " << tokenPathName(paths[p]) << " path";
            }
        }
    }
    selectTokenPath(selected);
}

std::string randomDigits(std::mt19937_64& random, int count) {
    std::string digits(1, static_cast<char>('1' + random() % 9));
    while (static_cast<int>(digits.size()) < count) digits += static_cast<char>('0' + random() % 10);
    return digits;
}

// Full-precision tokens: 17, 18 and 19 significant digits, written as
// "%.16e" writes them ("d.ddd...e-XX") and as an integer of digits with an
// exponent, at every decimal exponent from below the smallest subnormal (they
// round to 0) to above the largest double (infinity): every power of ten the
// conversion has a factor for, and its edges.
TEST(CellValue, MatchesAtofOnFullPrecisionTokensAtEveryExponent) {
    std::mt19937_64 random(17);
    std::vector<std::string> tokens;
    char exponentText[16];
    for (int exponent = -365; exponent <= 310; ++exponent) {
        std::snprintf(exponentText, sizeof exponentText, "e%+03d", exponent);
        for (int digits = 17; digits <= 19; ++digits) {
            for (int sample = 0; sample < 2; ++sample) {
                std::string sign = random() % 2 ? "-" : "";
                std::string d = randomDigits(random, digits);
                tokens.push_back(sign + d.substr(0, 1) + "." + d.substr(1) + exponentText);
                tokens.push_back(sign + d + exponentText);
            }
        }
    }
    // Where 19 digits of nines round up past the largest double, or down to 0.
    for (const char* edge : {"1.797693134862315708e308", "1.797693134862315709e308", "1.797693134862315807e308",
                             "9999999999999999999e289", "2.470328229206232720e-324", "2.470328229206232721e-324",
                             "9999999999999999999e-343", "1000000000000000000e-342", "0.0000000000000000000"}) {
        tokens.push_back(edge);
    }
    expectRowsMatchAtof(tokens);
}

// Subnormal doubles written at full precision and one or two digits more,
// random ones and those at the edges of the range.
TEST(CellValue, MatchesAtofOnSubnormals) {
    std::mt19937_64 random(18);
    std::vector<double> values = {fromBits(1), fromBits(2), fromBits(3), fromBits(0x000FFFFFFFFFFFFFu),
                                  fromBits(0x000FFFFFFFFFFFFEu), DBL_MIN, fromBits(0x0010000000000001u)};
    for (int i = 0; i < 1500; ++i) values.push_back(fromBits(random() >> (12 + random() % 52)));
    std::vector<std::string> tokens;
    char text[64];
    for (double v : values) {
        for (int precision : {16, 17, 18}) {
            std::snprintf(text, sizeof text, "%.*e", precision, random() % 2 ? -v : v);
            tokens.push_back(text);
        }
    }
    expectRowsMatchAtof(tokens);
}

// The decimal of a long double, exactly: every digit up to the last that is
// not 0, in "%e" form. Doubles' midpoints have at most 770 significant digits.
std::string exactDecimal(long double v) {
    static char text[1200];
    std::snprintf(text, sizeof text, "%.1100Le", v);
    std::string decimal = text;
    std::size_t e = decimal.find('e');
    std::size_t last = decimal.find_last_not_of('0', e - 1);
    if (decimal[last] == '.') --last;
    return decimal.substr(0, last + 1) + decimal.substr(e);
}

// The midpoint between two adjacent doubles, exactly, rounds to the even one;
// the decimals just above and just below it (one more digit: ...5 becomes
// ...51 and ...49) round to the nearer one. Doubles from 2^44 to 2^64, whose
// midpoints have up to 19 significant digits, and doubles of any exponent,
// subnormals included, whose midpoints have hundreds.
TEST(CellValue, MatchesAtofOnHalfwayCasesAndTheirNeighbours) {
    if (LDBL_MANT_DIG < 54) GTEST_SKIP() << "long double cannot hold a midpoint between doubles here";
    std::mt19937_64 random(19);
    std::vector<std::string> tokens;
    for (int i = 0; i < 1200; ++i) {
        int exponent = i % 2 ? 44 + static_cast<int>(random() % 20) : static_cast<int>(random() % 2100) - 1075;
        double low = std::ldexp(1.0 + static_cast<double>(random() >> 12) * 0x1p-52, exponent);
        if (!std::isfinite(low) || low == 0.0) continue;
        double high = std::nextafter(low, INFINITY);
        if (!std::isfinite(high)) continue;
        long double midpoint = (static_cast<long double>(low) + static_cast<long double>(high)) / 2;
        std::string exact = exactDecimal(midpoint);
        std::size_t e = exact.find('e');
        std::string digits = exact.substr(0, e), power = exact.substr(e);
        std::string point = digits.find('.') == std::string::npos ? "." : "";
        std::string below = digits;
        below[below.size() - 1] = static_cast<char>(below.back() - 1);  // the last digit is not 0
        tokens.push_back(exact);
        tokens.push_back(digits + point + "1" + power);
        tokens.push_back(below + point + "9" + power);
    }
    expectRowsMatchAtof(tokens);
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
