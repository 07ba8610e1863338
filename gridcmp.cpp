// gridcmp: how far a quantized simulation run drifts from the original run.
//
//     gridcmp original.log quantized.log
//
// Pairs the blocks of the two grid logs whose time labels match and writes, per
// pair, the mean relative and absolute error of the block and their running
// totals. Everything goes to standard output; the exit status is always 1.
#include <cstdio>
#include <new>
#include <string>

#include "compare/runComparison.h"
#include "driver/messages.h"
#include "platform/memoryReserve.h"
#include "platform/standardStreams.h"
#include "report/ReportWriter.h"
#include "report/endMessage.h"

int main(int argc, char** argv) {
    using namespace gridcmp;
    // Before any log is opened, so that none takes a closed standard
    // descriptor (/dev/stdin then reads as an empty file); without
    // /dev/null, gridcmp goes on as it did.
    ClosedStandardStreams closed;
    std::string ignored;
    holdClosedStandardStreams(&closed, &ignored);
    if (argc < 3) {
        writeUsage(stdout);
        std::fflush(stdout);
        return 1;
    }
    writeEchoLine(stdout, argv[1], argv[2]);
    std::fflush(stdout);
    // With the reserve, running out of memory below is a message, never an
    // abort for want of memory to throw std::bad_alloc in.
    if (!holdMemoryReserve()) {
        writeOutOfMemory(stdout);
        std::fflush(stdout);
        return 1;
    }

    // Memory is taken only here, at the start of each log (its buffers) and
    // of the comparison: a system that cannot give it ends the report with a
    // message like any other.
    try {
        GridLogReader original;
        GridLogReader quantized;
        openLog(original, argv[1]);
        openLog(quantized, argv[2]);
        ReportWriter report(stdout);
        RunEnd end = runComparison(original, quantized, report);
        writeEndMessage(stdout, end, original, quantized);
    } catch (const std::bad_alloc&) {
        writeOutOfMemory(stdout);
    }
    std::fflush(stdout);
    return 1;
}
