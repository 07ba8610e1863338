// Micro-benchmarks of the conversions on the hot path: splitting and
// converting a data row (on each path that splits rows, in short decimals and
// at full precision), converting one token (gridcmp's own conversion beside
// std::from_chars and, where installed, fast_float), and rendering an error
// mean in ten characters; and a study's sums and statistics of a row.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <charconv>

#include "compare/BlockStatistics.h"
#include "compare/ErrorAccumulators.h"
#include "gridlog/GridLogReader.h"
#include "gridlog/cellValue.h"
#include "tests/support/memorySource.h"
#include "gridlog/tokenStarts.h"
#include "report/formatDecimal10.h"

#if GRIDCMP_BENCH_FAST_FLOAT
#include <fast_float/fast_float.h>
#endif

namespace {

using namespace gridcmp;

// A 400-value row rendered as the benchmark logs are: fixed and exponent
// notation, negatives, magnitudes from 1e-5 to 1e5; or all at full precision.
std::string makeRow(std::mt19937_64& random, bool fullPrecision) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-5, 5);
    std::string row = "17";
    char text[64];
    for (int i = 0; i < kMaxRowValues; ++i) {
        double v = unit(random) * std::pow(10.0, scale(random));
        double magnitude = std::fabs(v);
        const char* format = fullPrecision ? "  %.16e" : magnitude < 1e-2 || magnitude >= 1e4 ? "  %.6e" : "  %.6f";
        std::snprintf(text, sizeof text, format, v);
        row += text;
    }
    return row;
}

void BM_parseRow(benchmark::State& state, TokenPath path, bool fullPrecision) {
    if (!selectTokenPath(path)) {
        state.SkipWithError("not on this machine");
        return;
    }
    std::mt19937_64 random(7);
    // 64 rows, each read by a reader of its own and then split again and
    // again, in turn: what is measured is the split and the conversions.
    std::vector<std::string> rows;
    std::vector<std::unique_ptr<MemorySource>> sources;
    std::vector<std::unique_ptr<GridLogReader>> readers;
    for (int i = 0; i < 64; ++i) {
        rows.push_back(makeRow(random, fullPrecision) + "\n");
        sources.emplace_back(new MemorySource(rows.back().data(), rows.back().size()));
        readers.emplace_back(new GridLogReader);
        attachLogSource(*readers.back(), *sources.back(), "row");
        readLine(*readers.back());
    }
    RowValues values;
    std::size_t bytes = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        GridLogReader& reader = *readers[next++ % readers.size()];
        parseRow(reader, values, true);
        benchmark::DoNotOptimize(values.values[0]);
        bytes += reader.lineLength();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kMaxRowValues);
    state.SetLabel("items = values");
}

void BM_findTokenStarts(benchmark::State& state, TokenPath path, bool fullPrecision) {
    if (!selectTokenPath(path)) {
        state.SkipWithError("not on this machine");
        return;
    }
    std::mt19937_64 random(7);
    std::vector<std::string> rows;
    for (int i = 0; i < 64; ++i) rows.push_back(makeRow(random, fullPrecision) + std::string(kLineReadAhead + 1, '\0'));
    std::uint32_t starts[kMaxRowValues + 2 + kTokenStartsSlack];
    std::size_t bytes = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        std::string& row = rows[next++ % rows.size()];
        std::size_t length = std::strlen(row.c_str());
        benchmark::DoNotOptimize(findTokenStarts(row.c_str(), length, starts, kMaxRowValues + 2));
        benchmark::DoNotOptimize(starts[0]);
        bytes += length;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void registerRowBenchmarks() {
    for (TokenPath path : {TokenPath::plain, TokenPath::words, TokenPath::sse2, TokenPath::avx2, TokenPath::avx512}) {
        for (bool full : {false, true}) {
            std::string suffix = std::string("/") + tokenPathName(path) + (full ? "/full" : "/short");
            benchmark::RegisterBenchmark(("BM_parseRow" + suffix).c_str(), BM_parseRow, path, full);
            benchmark::RegisterBenchmark(("BM_findTokenStarts" + suffix).c_str(), BM_findTokenStarts, path, full);
        }
    }
}

// Whole tokens, each followed by a blank and read-ahead room, as in a line.
struct Tokens {
    std::string text;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> lengths;
};

Tokens makeTokens(bool fullPrecision) {
    std::mt19937_64 random(9);
    Tokens tokens;
    std::string row = makeRow(random, fullPrecision);
    for (std::size_t i = 0; i < row.size();) {
        while (i < row.size() && row[i] == ' ') ++i;
        std::size_t start = i;
        while (i < row.size() && row[i] != ' ') ++i;
        tokens.starts.push_back(start);
        tokens.lengths.push_back(i - start);
    }
    tokens.text = row + std::string(kLineReadAhead + 1, '\0');
    return tokens;
}

enum class Converter { cellValue, fromChars, fastFloat };

void BM_convert(benchmark::State& state, Converter converter, bool fullPrecision) {
    Tokens tokens = makeTokens(fullPrecision);
    const char* text = tokens.text.c_str();
    std::size_t next = 0;
    for (auto _ : state) {
        std::size_t i = next++ % tokens.starts.size();
        const char* token = text + tokens.starts[i];
        double value = 0.0;
        switch (converter) {
            case Converter::cellValue: value = cellValue(token); break;
#ifdef __cpp_lib_to_chars
            case Converter::fromChars: std::from_chars(token, token + tokens.lengths[i], value); break;
#endif
#if GRIDCMP_BENCH_FAST_FLOAT
            case Converter::fastFloat: fast_float::from_chars(token, token + tokens.lengths[i], value); break;
#endif
            default: state.SkipWithError("not in this build"); return;
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

void registerConversionBenchmarks() {
    const std::pair<Converter, const char*> converters[] = {
        {Converter::cellValue, "cellValue"}, {Converter::fromChars, "std::from_chars"}, {Converter::fastFloat, "fast_float"}};
    for (const auto& converter : converters) {
        for (bool full : {false, true}) {
            std::string name = std::string("BM_convert/") + converter.second + (full ? "/full" : "/short");
            benchmark::RegisterBenchmark(name.c_str(), BM_convert, converter.first, full);
        }
    }
}

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

// What a study adds per cell pair beside the conversions: the report's terms
// and sums, and the block and run statistics, over 400-value rows. The
// argument picks the steps: 1 the statistics, 2 the terms, 4 their sums, 7 all.
void BM_rowStatistics(benchmark::State& state) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<double> s(kMaxRowValues), q(kMaxRowValues);
    for (int i = 0; i < kMaxRowValues; ++i) {
        s[i] = unit(random) * 100.0;
        q[i] = static_cast<float>(s[i]);
    }
    RowTerms terms;
    ErrorAccumulators sums;
    BlockStatistics statistics;
    startStatistics(statistics);
    long long row = 0;
    for (auto _ : state) {
        if (state.range(0) & 2) computeRowTerms(terms, s.data(), q.data(), kMaxRowValues);
        if (state.range(0) & 4) addRowTerms(sums, terms, kMaxRowValues);
        ++row;
        if (state.range(0) & 1) addRowStatistics(statistics, s.data(), q.data(), terms, kMaxRowValues, RowAt{row, row, row});
        benchmark::DoNotOptimize(sums);
        benchmark::DoNotOptimize(statistics);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kMaxRowValues);
    state.SetLabel("items = cell pairs");
}
BENCHMARK(BM_rowStatistics)->Arg(1)->Arg(2)->Arg(4)->Arg(7);

}  // namespace

int main(int argc, char** argv) {
    registerRowBenchmarks();
    registerConversionBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
