// A plain, reasonably fast way to compare two grid logs, kept as the
// benchmark's second baseline: what one would write today without any tuning.
// Files read in large chunks, lines found with memchr, tokens at blanks, each
// converted with std::from_chars (strtod where the C++ library has no
// from_chars for doubles). Writes the same report as gridcmp for well-formed
// logs (through gridcmp's report writer); it has none of gridcmp's limits
// checks. Not part of the product.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "bench/baselineBlock.h"

namespace {

using namespace gridcmp;

constexpr std::size_t kChunk = 1 << 20;

struct Log {
    std::FILE* file = nullptr;
    char buffer[2 * kChunk + 1];
    std::size_t start = 0;
    std::size_t end = 0;
    bool eof = false;
    const char* line = "";
    std::size_t length = 0;
    char label[4096];
};

void readLine(Log& log) {
    for (;;) {
        const char* begin = log.buffer + log.start;
        const void* newline = std::memchr(begin, '\n', log.end - log.start);
        if (newline) {
            log.line = begin;
            log.length = static_cast<const char*>(newline) - begin;
            log.start += log.length + 1;
            return;
        }
        if (log.eof || std::feof(log.file)) {
            log.eof = true;
            log.line = "";
            log.length = 0;
            return;
        }
        std::memmove(log.buffer, begin, log.end - log.start);
        log.end -= log.start;
        log.start = 0;
        log.end += std::fread(log.buffer + log.end, 1, kChunk, log.file);
    }
}

std::string_view lineOf(const Log& log) { return std::string_view(log.line, log.length); }

bool contains(const Log& log, const char* text) { return lineOf(log).find(text) != std::string_view::npos; }

// Calls take(begin, end) for each blank-separated token of the line.
template <typename Take>
void forEachToken(const Log& log, Take take) {
    const char* p = log.line;
    const char* end = log.line + log.length;
    for (;;) {
        while (p < end && *p == ' ') ++p;
        if (p == end) return;
        const char* token = p;
        while (p < end && *p != ' ') ++p;
        take(token, p);
    }
}

void takeLabel(Log& log) {
    int index = 0;
    log.label[0] = '\0';
    forEachToken(log, [&](const char* token, const char* end) {
        if (index++ == 5) {
            std::size_t n = static_cast<std::size_t>(end - token);
            std::memcpy(log.label, token, n);
            log.label[n] = '\0';
        }
    });
    for (int i = 0; i < 3; ++i) readLine(log);
}

void advance(Log& log) {
    do readLine(log);
    while (!log.eof && !contains(log, "ine"));
    if (!log.eof) takeLabel(log);
}

// Converts the number at `token` into `value` (0 where there is none) and
// returns where it ends.
const char* convert(const char* token, const char* end, double& value) {
    value = 0.0;
#ifdef __cpp_lib_to_chars
    return std::from_chars(token, end, value).ptr;
#else
    char* stop = nullptr;
    value = std::strtod(token, &stop);
    return stop > token ? stop : token;
#endif
}

// One pass over the row: from_chars stops where the number does, and the
// rest of the token (if any) is skipped to the next blank.
int parse(const Log& log, double* values) {
    const char* p = log.line;
    const char* end = log.line + log.length;
    while (p < end && *p == ' ') ++p;
    while (p < end && *p != ' ') ++p;  // the row label
    int count = 0;
    for (;;) {
        while (p < end && *p == ' ') ++p;
        if (p == end || count == 400) return count;
        p = convert(p, end, values[count++]);
        while (p < end && *p != ' ') ++p;
    }
}

bool terminator(const Log& log) {
    return lineOf(log).find_first_not_of(' ') == std::string_view::npos || contains(log, "---");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 1;
    static Log a, b;
    a.file = std::fopen(argv[1], "rb");
    b.file = std::fopen(argv[2], "rb");
    if (!a.file || !b.file) return 1;
    std::printf("Archivo original: %s quantificado:%s\n", argv[1], argv[2]);
    for (Log* log : {&a, &b}) {
        readLine(*log);
        if (log->length == 0 || (log->length == 1 && log->line[0] == ' ')) readLine(*log);
        takeLabel(*log);
    }
    ReportWriter report{stdout};
    static double s[400], q[400];
    double blockRel = 0, totalRel = 0, blockAbs = 0, totalAbs = 0, counter = 0;
    long long rows = 0;
    int columns = 0;
    for (;;) {
        int order = std::strcmp(a.label, b.label);
        if (order < 0) advance(a);
        if (order > 0) advance(b);
        bool open = !a.eof && !b.eof;
        bool paired = std::strcmp(a.label, b.label) == 0;
        if (!paired && open) continue;
        if (paired && open) {
            parse(a, s);
            columns = parse(b, q);
            for (int i = 0; i < columns; ++i) {
                double rel = std::fabs(1.0 - s[i] / q[i]);
                double abs = std::fabs(s[i] - q[i]);
                blockRel += rel;
                totalRel += rel;
                blockAbs += abs;
                totalAbs += abs;
            }
            readLine(a);
            readLine(b);
            ++rows;
            if (terminator(a)) {
                writeBaselineBlock(report, counter, a.label, columns, rows, blockRel, totalRel, blockAbs, totalAbs);
                advance(a);
                advance(b);
                counter += 1.0;
                blockRel = blockAbs = 0.0;
                rows = 0;
            }
        }
        if (a.eof || b.eof) return 1;
    }
}
