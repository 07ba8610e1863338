// libFuzzer target: one input is two grid logs, compared in process exactly as
// the program compares them, with the report and its end message going to
// /dev/null; or, for inputs of odd size, with every figure of the study kept
// (rows weighed by latitude, a tolerance) and worked out for each block.
//
// The input is split at the first kSplit line; without one, the input is
// given as both logs (as `gridcmp a.log a.log`).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "compare/runComparison.h"
#include "report/ReportWriter.h"
#include "report/endMessage.h"
#include "tests/support/memorySource.h"

namespace {

using namespace gridcmp;

constexpr char kSplit[] = "\n=== quantized ===\n";

// Keeps every statistic and works out each block's figures and the run's.
struct EveryFigure : ComparisonReceiver {
    EveryFigure() {
        kept.settings.weights.kind = RowWeights::Kind::latitudes;
        kept.settings.weights.firstLatitude = -90.0;
        kept.settings.weights.lastLatitude = 90.0;
        kept.settings.tolerance = 1e-3;
    }
    BlockStatistics* statistics() override { return &kept; }
    void blockCompleted(const BlockResult& result) override {
        Figures block = figuresOf(result.statistics->block);
        Figures run = figuresOf(result.statistics->run);
        sum += block.psnr + block.digitsMean + run.errorAutocorrelationColumn + result.statistics->block.quantiles[3];
        sum += run.absoluteMeanWeighted;
        workOutRunQuantiles(kept);
        sum += kept.run.quantiles[0];
    }
    BlockStatistics kept;
    double sum = 0.0;  // so that nothing is left unused
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    const std::uint8_t* second = data;
    std::size_t firstSize = size;
    std::size_t secondSize = size;
    const void* split = memmem(data, size, kSplit, sizeof kSplit - 1);
    if (split) {
        firstSize = static_cast<const std::uint8_t*>(split) - data;
        second = data + firstSize + (sizeof kSplit - 1);
        secondSize = size - firstSize - (sizeof kSplit - 1);
    }
    // Small chunks, so that lines cross the reads as they do in large logs.
    MemorySource originalBytes(reinterpret_cast<const char*>(data), firstSize, 4093);
    MemorySource quantizedBytes(reinterpret_cast<const char*>(second), secondSize, 4093);
    // The readers keep their buffers from one input to the next.
    static GridLogReader* original = new GridLogReader;
    static GridLogReader* quantized = new GridLogReader;
    attachLogSource(*original, originalBytes, "original.log");
    attachLogSource(*quantized, quantizedBytes, "quantized.log");

    RunEnd end;
    if (size % 2 == 1) {
        static EveryFigure* figures = new EveryFigure;
        end = runComparison(*original, *quantized, *figures);
    } else {
        ReportWriter report(sink);
        end = runComparison(*original, *quantized, report);
    }
    writeEndMessage(sink, end, *original, *quantized);
    std::fflush(sink);
    return 0;
}
