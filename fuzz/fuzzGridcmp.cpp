// libFuzzer target: one input is two grid logs, compared in process exactly as
// the program compares them, with the report and its end message going to
// /dev/null.
//
// The input is split at the first kSplit line; without one, the input is
// given as both logs (as `gridcmp a.log a.log`).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <new>

#include "report/ReportWriter.h"
#include "report/runComparison.h"

namespace {

using namespace gridcmp;

constexpr char kSplit[] = "\n=== quantized ===\n";

// The readers' buffers are megabytes: made once, and each run's readers are
// constructed anew in them (without clearing what is only looked at once read).
alignas(GridLogReader) unsigned char originalStorage[sizeof(GridLogReader)];
alignas(GridLogReader) unsigned char quantizedStorage[sizeof(GridLogReader)];

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
    GridLogReader* original = new (originalStorage) GridLogReader;
    GridLogReader* quantized = new (quantizedStorage) GridLogReader;
    std::FILE* originalBytes = openBytes(data, firstSize);
    std::FILE* quantizedBytes = openBytes(second, secondSize);
    attachLog(*original, originalBytes, "original.log");
    attachLog(*quantized, quantizedBytes, "quantized.log");

    ReportWriter report(sink);
    PairingCounts counts;
    runComparison(*original, *quantized, report, counts, sink);
    std::fflush(sink);

    for (std::FILE* bytes : {originalBytes, quantizedBytes}) {
        if (bytes) std::fclose(bytes);
    }
    return 0;
}
