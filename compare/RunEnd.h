// How a comparison run ended, for the caller to report.
#pragma once

namespace gridcmp {

enum class RunEnd {
    running,            // not ended: both logs stand on their first block (startLogs)
    logEnded,           // either log reached its end: the normal end
    originalEmpty,      // the original log is empty, or ended while its start line was read
    quantizedEmpty,     // likewise the quantized log (said only when the original is not)
    noTimeLines,        // a start line with neither "---" nor "ine" (also: a log not readable)
    originalFault,      // the original log's reader met a line it cannot take (see its state)
    quantizedFault,     // likewise the quantized log's
    blockShapesDiffer,  // an original row shorter than the quantized one, or the quantized block ended first
};

}  // namespace gridcmp
