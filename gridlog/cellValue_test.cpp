#include "gridlog/cellValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint64_t bitsOf(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

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
        "1e-99999999999", "0.000000000000000000000000000001",
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
    std::uniform_int_distribution<int> shape(0, 5);
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
            default: std::snprintf(token, sizeof token, "%.*g", digits, v * 1e-7); break;
        }
        std::string line = padded(std::string(token) + " ");
        double value = cellValue(&line[0]);
        ASSERT_EQ(bitsOf(value), bitsOf(std::atof(token))) << "token \"" << token << "\"";
    }
}

}  // namespace
