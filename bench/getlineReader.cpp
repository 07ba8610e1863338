// The straightforward way to compare two grid logs, kept as the benchmark's
// baseline: istream getline, strtok and atof, line by line, as a first
// transliteration would read them. Writes the same report as gridcmp for
// well-formed logs (through gridcmp's report writer); it has none of gridcmp's
// limits checks. Not part of the product.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "bench/baselineBlock.h"

namespace {

using namespace gridcmp;

constexpr int kLine = 10000;

struct Log {
    std::ifstream stream;
    char line[kLine];
    char label[kLine];
};

void readLine(Log& log) {
    log.line[0] = '\0';
    log.stream.getline(log.line, kLine);
}

void takeLabel(Log& log) {
    char copy[kLine];
    std::strcpy(copy, log.line);
    char* token = std::strtok(copy, " ");
    for (int i = 0; i < 5 && token; ++i) token = std::strtok(nullptr, " ");
    std::strcpy(log.label, token ? token : "");
    for (int i = 0; i < 3; ++i) readLine(log);
}

void advance(Log& log) {
    do readLine(log);
    while (!log.stream.eof() && !std::strstr(log.line, "ine"));
    if (!log.stream.eof()) takeLabel(log);
}

int parse(Log& log, double* values) {
    int count = 0;
    char* token = std::strtok(log.line, " ");
    if (token) token = std::strtok(nullptr, " ");
    for (; token && count < 400; token = std::strtok(nullptr, " ")) values[count++] = std::atof(token);
    return count;
}

bool terminator(const char* line) {
    return std::strspn(line, " ") == std::strlen(line) || std::strstr(line, "---");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 1;
    static Log a, b;
    a.stream.open(argv[1]);
    b.stream.open(argv[2]);
    std::printf("Archivo original: %s quantificado:%s\n", argv[1], argv[2]);
    for (Log* log : {&a, &b}) {
        readLine(*log);
        if (log->line[0] == '\0' || std::strcmp(log->line, " ") == 0) readLine(*log);
        takeLabel(*log);
    }
    ReportWriter report{stdout};
    double s[400], q[400];
    double blockRel = 0, totalRel = 0, blockAbs = 0, totalAbs = 0, counter = 0;
    long long rows = 0;
    int columns = 0;
    for (;;) {
        int order = std::strcmp(a.label, b.label);
        if (order < 0) advance(a);
        if (order > 0) advance(b);
        bool open = !a.stream.eof() && !b.stream.eof();
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
            if (terminator(a.line)) {
                writeBaselineBlock(report, counter, a.label, columns, rows, blockRel, totalRel, blockAbs, totalAbs);
                advance(a);
                advance(b);
                counter += 1.0;
                blockRel = blockAbs = 0.0;
                rows = 0;
            }
        }
        if (a.stream.eof() || b.stream.eof()) return 1;
    }
}
