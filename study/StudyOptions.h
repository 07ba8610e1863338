// The command line of gridcmp-study.
#pragma once

#include <string>
#include <vector>

namespace gridcmp {

struct StudyOptions {
    std::string original;
    std::vector<std::string> quantized;  // one run each, in the order given
    std::string table;                   // --table FILE ("-": standard output); empty: none
    bool quiet = false;                  // -q: no diagnostics
    bool strict = false;                 // --strict: a run with a diagnostic fails (exit 1)
    int jobs = 0;                        // -j N; 0: as many as this process may use CPUs
    bool hasMaxRelative = false;         // --max-relative X
    double maxRelative = 0.0;
    bool hasMaxAbsolute = false;         // --max-absolute X
    double maxAbsolute = 0.0;
};

enum class StudyCommand { compare, help, version, usageError };

// Reads the options (getopt_long: they may come before or after the files) and
// the files. On a usage error, `error` says what is wrong.
StudyCommand parseStudyOptions(int argc, char** argv, StudyOptions& options, std::string& error);

// The --help text.
const char* studyUsage();

}  // namespace gridcmp
