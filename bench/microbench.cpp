// Micro-benchmarks of the two conversions on the hot path: splitting and
// converting a data row, and rendering an error mean in ten characters.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gridlog/GridLogReader.h"
#include "report/formatDecimal10.h"

namespace {

using namespace gridcmp;

// A 400-value row rendered as the benchmark logs are: fixed and exponent
// notation, negatives, magnitudes from 1e-5 to 1e5.
std::string makeRow(std::mt19937_64& random) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-5, 5);
    std::string row = "17";
    char text[64];
    for (int i = 0; i < kMaxRowValues; ++i) {
        double v = unit(random) * std::pow(10.0, scale(random));
        double magnitude = std::fabs(v);
        std::snprintf(text, sizeof text, magnitude < 1e-2 || magnitude >= 1e4 ? "  %.6e" : "  %.6f", v);
        row += text;
    }
    return row;
}

void BM_parseRow(benchmark::State& state) {
    std::mt19937_64 random(7);
    std::vector<std::string> rows;
    for (int i = 0; i < 64; ++i) rows.push_back(makeRow(random) + std::string(kLineReadAhead + 1, '\0'));
    auto reader = std::make_unique<GridLogReader>();
    reader->hasTimeLines = true;
    RowValues values;
    std::size_t bytes = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        std::string& row = rows[next++ % rows.size()];
        reader->line = &row[0];
        reader->lineLength = std::strlen(row.c_str());
        parseRow(*reader, values);
        benchmark::DoNotOptimize(values.values[0]);
        bytes += reader->lineLength;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kMaxRowValues);
    state.SetLabel("items = values");
}
BENCHMARK(BM_parseRow);

void BM_formatDecimal10(benchmark::State& state) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> exponent(-9.0, 9.0);
    std::vector<double> means;
    for (int i = 0; i < 4096; ++i) means.push_back(std::pow(10.0, exponent(random)));
    std::size_t next = 0;
    for (auto _ : state) benchmark::DoNotOptimize(formatDecimal10(means[next++ % means.size()]));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetLabel("items = values");
}
BENCHMARK(BM_formatDecimal10);

}  // namespace

BENCHMARK_MAIN();
