// The program's run after the echo line: start-up checks, first labels and the
// comparison of both logs. It writes only result lines (through `report`); how
// the run ended comes back to the caller, which writes the message.
#pragma once

#include "gridlog/GridLogReader.h"
#include "report/ReportWriter.h"

enum class RunEnd {
    finished,           // either log ended; nothing more to say
    originalEmpty,      // file 1 empty, or ended while its start line was read
    quantizedEmpty,     // likewise file 2 (checked only when file 1 is not)
    noTimeLines,        // a start line with neither "---" nor "ine" (also: unopened)
    originalFault,      // file 1's reader met a line it cannot take
    quantizedFault,     // likewise file 2
    blockShapesDiffer,  // paired blocks of different shapes
};

// Expects both readers opened (openLog or attachLog), not yet read.
RunEnd runComparison(GridLogReader& original, GridLogReader& quantized, ReportWriter& report);
