#include "gridlog/tokenStarts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace gridcmp;

std::vector<TokenPath> pathsHere() {
    TokenPath paths[kTokenPathCount];
    int count = availableTokenPaths(paths);
    return std::vector<TokenPath>(paths, paths + count);
}

// The offsets as the definition gives them: where a byte other than a blank
// follows a blank or the start of the line.
std::vector<std::uint32_t> expectedStarts(const std::string& line, int capacity) {
    std::vector<std::uint32_t> starts;
    for (std::size_t i = 0; i < line.size() && static_cast<int>(starts.size()) < capacity; ++i) {
        if (line[i] != ' ' && (i == 0 || line[i - 1] == ' ')) starts.push_back(static_cast<std::uint32_t>(i));
    }
    return starts;
}

// Lines of every length up to a few 64-byte steps, tokens and runs of blanks
// of every length (so that both straddle the steps), bytes of every value
// (tab, CR, NUL-free high bytes), non-blank bytes after the line's end (the
// wide paths read them and must take them as blanks), and capacities that cut
// a line short, on every path this machine has.
TEST(FindTokenStarts, EveryPathFindsTheTokensOfTheDefinition) {
    std::mt19937 random(15);
    const char bytes[] = {'7', '.', '-', 'e', '\t', '\r', '|', '\x80', '\xa0', '\xff', '\x1f', '!'};
    std::vector<std::string> lines = {"", " ", "a", " a", "a ", std::string(64, ' '), std::string(64, 'x'),
                                      std::string(63, ' ') + "x", "x" + std::string(63, ' ') + "y"};
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        std::size_t length = random() % 400;
        while (line.size() < length) {
            line += std::string(random() % 3 == 0 ? random() % 70 : 1 + random() % 3, ' ');
            std::size_t token = random() % 4 == 0 ? random() % 80 : 1 + random() % 25;
            for (std::size_t j = 0; j < token; ++j) line += bytes[random() % sizeof bytes];
        }
        lines.push_back(line);
    }
    const TokenPath selected = selectedTokenPath();
    for (TokenPath path : pathsHere()) {
        ASSERT_TRUE(selectTokenPath(path));
        for (const std::string& line : lines) {
            for (int capacity : {402, 3, 1}) {
                std::vector<std::uint32_t> expected = expectedStarts(line, capacity);
                std::string text = line + std::string(64, 'z');
                std::vector<std::uint32_t> starts(capacity + kTokenStartsSlack, 0xDEADu);
                int count = findTokenStarts(text.c_str(), line.size(), starts.data(), capacity);
                starts.resize(count);
                ASSERT_EQ(starts, expected) << tokenPathName(path) << " path, capacity " << capacity << ", line \""
                                            << line << "\"";
            }
        }
    }
    selectTokenPath(selected);
}

TEST(SelectTokenPath, TakesThePathsThisMachineHasAndRefusesTheOthers) {
    std::vector<TokenPath> here = pathsHere();
    ASSERT_FALSE(here.empty());
    EXPECT_EQ(here.front(), TokenPath::plain);  // every build has it
    EXPECT_EQ(selectedTokenPath(), here.back()) << "the fastest is taken by default";
    for (int i = 0; i < kTokenPathCount; ++i) {
        auto path = static_cast<TokenPath>(i);
        bool available = std::find(here.begin(), here.end(), path) != here.end();
        EXPECT_EQ(selectTokenPath(path), available) << tokenPathName(path);
        if (available) {
            EXPECT_EQ(selectedTokenPath(), path);
        }
    }
    selectTokenPath(here.back());
}

}  // namespace
