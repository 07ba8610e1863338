// Standard input, output and error that a program was started without
// (`>&-`): each is held by /dev/null, opened so that reading descriptor 0,
// or writing 1 or 2, fails. Otherwise the first file the program opens
// would take the descriptor: the study would write its summary into the
// JSON file, gridcmp would read a log as standard input (/dev/stdin).
#pragma once

#include <string>

namespace gridcmp {

struct ClosedStandardStreams {
    bool input = false;
    bool output = false;
    bool error = false;
};

// Holds each closed standard descriptor; called before anything is opened.
// On failure (no /dev/null), `error` says why.
bool holdClosedStandardStreams(ClosedStandardStreams* closed, std::string* error);

}  // namespace gridcmp
