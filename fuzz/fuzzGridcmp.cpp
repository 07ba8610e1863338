// libFuzzer target: one input is two grid logs, compared in process exactly as
// the program compares them, with the report going to /dev/null.
//
// The input is split at the first kSplit line; without one, the input is
// given as both logs (as `gridcmp a.log a.log`).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "driver/messages.h"
#include "driver/runComparison.h"

namespace {

constexpr char kSplit[] = "\n=== quantized ===\n";

GridLogReader original;
GridLogReader quantized;

std::FILE* openBytes(const std::uint8_t* data, std::size_t size) {
    // fmemopen wants a writable buffer even for reading; it does not write it.
    return fmemopen(const_cast<std::uint8_t*>(data), size, "r");
}

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
    original = GridLogReader{};
    quantized = GridLogReader{};
    attachLog(original, openBytes(data, firstSize), "original.log");
    attachLog(quantized, openBytes(second, secondSize), "quantized.log");

    writeEchoLine(sink, original.name, quantized.name);
    ReportWriter report{sink};
    RunEnd end = runComparison(original, quantized, report);
    writeRunEndMessage(sink, end, original, quantized);
    std::fflush(sink);

    for (GridLogReader* reader : {&original, &quantized}) {
        if (reader->stream) std::fclose(reader->stream);
    }
    return 0;
}
