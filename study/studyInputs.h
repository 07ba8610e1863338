// Checks on the files a study is given, made before any of them is opened:
// nothing is read, and nothing written, for a study that cannot be right.
#pragma once

#include <string>

#include "study/StudyOptions.h"

namespace gridcmp {

// Whether the files given can make a study; when not, `error` says what is
// wrong:
// - standard input ("-") given twice, or beside another name of the same
//   file (/dev/stdin), or given while it is closed (`standardInputClosed`);
// - one pipe or device given twice (the runs would split its bytes);
// - an output (studyOutputs.h) that is one of the logs (writing it
//   would destroy the log), two outputs that are one file, or more than one
//   output to standard output.
bool checkStudyInputs(const StudyOptions& options, bool standardInputClosed, std::string* error);

}  // namespace gridcmp
