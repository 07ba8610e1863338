#include "study/studyOutputs.h"

#include <cstring>

#include "study/studyCells.h"
#include "study/studyJson.h"

namespace gridcmp {

const StudyOutput kStudyOutputs[kStudyOutputCount] = {
    {"--table", "table", &StudyOptions::table,
     [](std::FILE* out, const StudyOptions& options) { writeTableHeader(out, options.statistics); }, writeTableRow,
     nullptr, nullptr, nullptr},
    {"--cells", "cells file", &StudyOptions::cells, [](std::FILE* out, const StudyOptions&) { writeCellsHeader(out); },
     nullptr,
     [](const StudyOptions& options, const char* label) { return std::strcmp(label, options.cellsLabel.c_str()) == 0; },
     writeCellsRows, nullptr},
    {"--json", "JSON summary", &StudyOptions::json, nullptr, nullptr, nullptr, nullptr,
     [](std::FILE* out, const StudyEnd& end) {
         writeStudyJson(out, end.runs, end.verdict, end.options, end.exitStatus, end.version);
     }},
};

}  // namespace gridcmp
