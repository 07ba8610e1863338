// gridcmp: how far a quantized simulation run drifts from the original run.
//
//     gridcmp original.log quantized.log
//
// Pairs the blocks of the two grid logs whose time labels match and writes, per
// pair, the mean relative and absolute error of the block and their running
// totals. Everything goes to standard output; the exit status is always 1.
#include <cstdio>

#include "driver/messages.h"
#include "driver/runComparison.h"

namespace {

// Both readers together hold about half a megabyte: kept off the stack.
GridLogReader original;
GridLogReader quantized;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        writeUsage(stdout);
        std::fflush(stdout);
        return 1;
    }
    writeEchoLine(stdout, argv[1], argv[2]);
    std::fflush(stdout);

    openLog(original, argv[1]);
    openLog(quantized, argv[2]);
    ReportWriter report{stdout};
    RunEnd end = runComparison(original, quantized, report);
    writeRunEndMessage(stdout, end, original, quantized);
    std::fflush(stdout);
    return 1;
}
