// gridcmp: how far a quantized simulation run drifts from the original run.
//
//     gridcmp original.log quantized.log
//
// Pairs the blocks of the two grid logs whose time labels match and writes, per
// pair, the mean relative and absolute error of the block and their running
// totals. Everything goes to standard output; the exit status is always 1.
#include <cstdio>

#include "driver/messages.h"
#include "report/ReportWriter.h"
#include "report/runComparison.h"

namespace {

// Both readers together hold a few megabytes, mostly never touched: kept off
// the stack.
gridcmp::GridLogReader original;
gridcmp::GridLogReader quantized;

}  // namespace

int main(int argc, char** argv) {
    using namespace gridcmp;
    if (argc < 3) {
        writeUsage(stdout);
        std::fflush(stdout);
        return 1;
    }
    writeEchoLine(stdout, argv[1], argv[2]);
    std::fflush(stdout);

    openLog(original, argv[1]);
    openLog(quantized, argv[2]);
    ReportWriter report(stdout);
    PairingCounts passedOver;  // said only by gridcmp-study
    runComparison(original, quantized, report, passedOver, stdout);
    std::fflush(stdout);
    closeLog(original);
    closeLog(quantized);
    return 1;
}
