// Turns the rows of a gridcmp-study table back into gridcmp's result lines:
// the counter, the label cut to 12 characters and the four means rendered by
// formatDecimal10, so that a test can hold them against gridcmp's report.
//
//     tableToReport [RUN] <TABLE
//
// With RUN, only that run's rows. Not part of the product.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "report/formatDecimal10.h"

namespace {

// Undoes the table's escapes (study/escapedText.h): \\ \t \r \n and \xNN.
std::string unescaped(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        char code = text[++i];
        if (code == 't') plain += '\t';
        else if (code == 'r') plain += '\r';
        else if (code == 'n') plain += '\n';
        else if (code == 'x') {
            plain += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else plain += code;
    }
    return plain;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> split(1);
    for (char c : line) {
        if (c == '\t') split.emplace_back();
        else split.back() += c;
    }
    return split;
}

}  // namespace

int main(int argc, char** argv) {
    const char* onlyRun = argc > 1 ? argv[1] : nullptr;
    char* line = nullptr;
    std::size_t capacity = 0;
    ssize_t length;
    std::vector<std::string> header;
    // The columns by their names in the header line.
    const char* const wanted[] = {"run", "block", "label", "block_relative", "total_relative", "block_absolute",
                                  "total_absolute"};
    std::size_t at[7];
    while ((length = getline(&line, &capacity, stdin)) > 0) {
        std::string text(line, length);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        std::vector<std::string> row = fields(text);
        if (header.empty()) {
            header = row;
            for (int i = 0; i < 7; ++i) {
                at[i] = std::find(header.begin(), header.end(), wanted[i]) - header.begin();
                if (at[i] == header.size()) {
                    std::fprintf(stderr, "tableToReport: no column %s\n", wanted[i]);
                    return 2;
                }
            }
            continue;
        }
        if (row.size() != header.size()) {
            std::fprintf(stderr, "tableToReport: a row of %zu fields under a header of %zu\n", row.size(),
                         header.size());
            return 2;
        }
        if (onlyRun && unescaped(row[at[0]]) != onlyRun) continue;
        std::string label = unescaped(row[at[2]]).substr(0, 12);
        std::printf("%g\t\t%s", std::strtod(row[at[1]].c_str(), nullptr), label.c_str());
        for (int i = 3; i < 7; ++i) {
            std::printf("\t\t%s", gridcmp::formatDecimal10(std::strtod(row[at[i]].c_str(), nullptr)).chars);
        }
        std::printf("\n");
    }
    std::free(line);
    return 0;
}
