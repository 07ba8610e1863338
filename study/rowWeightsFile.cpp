#include "study/rowWeightsFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gridcmp {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

struct ClosedOnReturn {
    std::FILE* file;
    ~ClosedOnReturn() {
        if (file) std::fclose(file);
    }
};

}  // namespace

bool readRowWeights(const char* path, std::vector<double>& values, std::string* error) {
    values.clear();
    const std::string where = std::string("--row-weights ") + path;
    ClosedOnReturn in{std::fopen(path, "r")};
    if (!in.file) {
        *error = where + ": " + std::strerror(errno);
        return false;
    }
    char line[256];
    bool anyAboveZero = false;
    long long lineNumber = 0;
    long long firstBlankLine = 0;  // blank lines may end the file (an editor's last newline), nothing else
    while (std::fgets(line, sizeof line, in.file)) {
        ++lineNumber;
        std::size_t length = std::strlen(line);
        bool whole = length > 0 && line[length - 1] == '\n';
        if (whole) line[--length] = '\0';
        if (!whole && !std::feof(in.file)) {
            *error = where + ": line " + std::to_string(lineNumber) + " is too long for one number";
            return false;
        }
        const char* start = line;
        while (isBlank(*start)) ++start;
        if (*start == '\0') {
            if (firstBlankLine == 0) firstBlankLine = lineNumber;
            continue;
        }
        if (firstBlankLine != 0) {
            *error = where + ": line " + std::to_string(firstBlankLine) + " is blank: give each row its weight";
            return false;
        }
        char* end = nullptr;
        errno = 0;
        double weight = std::strtod(start, &end);
        while (end != start && isBlank(*end)) ++end;
        if (end == start || *end != '\0') {
            *error = where + ": line " + std::to_string(lineNumber) + " is not one number: '" + line + "'";
            return false;
        }
        if (!(weight >= 0.0) || std::isinf(weight)) {
            *error = where + ": line " + std::to_string(lineNumber) + ": a weight must be a finite number of 0 or more, not '" +
                     line + "'";
            return false;
        }
        if (values.size() == static_cast<std::size_t>(kMaxWeighedRows)) {
            *error = where + ": more than " + std::to_string(kMaxWeighedRows) + " weights, the most rows a block may have to be weighed";
            return false;
        }
        values.push_back(weight);
        anyAboveZero = anyAboveZero || weight > 0.0;
    }
    if (std::ferror(in.file)) {
        *error = where + ": " + std::strerror(errno);
        return false;
    }
    if (!anyAboveZero) {
        *error = where + ": " + (values.empty() ? "no weights" : "every weight is 0");
        return false;
    }
    return true;
}

}  // namespace gridcmp
