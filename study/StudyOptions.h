// The command line of gridcmp-study.
#pragma once

#include <string>
#include <vector>

#include "compare/BlockStatistics.h"

namespace gridcmp {

// --fail-if NAME<X or NAME>X: the run fails when its figure NAME is not on the
// right side of X (nan is on neither side).
struct Gate {
    std::string figure;  // a run figure's name (runFigures.h)
    bool failsAbove;     // NAME>X: fails above X; NAME<X: fails below
    double limit;
    std::string text;    // as given, for messages: "rmse>0.05"
};

struct StudyOptions {
    std::string original;                // as given: "-" is standard input
    std::vector<std::string> quantized;  // one run each, in the order given
    std::vector<std::string> names;      // each run's name (--name before its log), else logName(its log)
    std::string table;                   // --table FILE ("-": standard output); empty: none
    std::string json;                    // --json FILE ("-": standard output); empty: none
    std::string cellsLabel;              // --cells LABEL FILE: every cell of the blocks labelled LABEL
    std::string cells;                   //   ... to FILE ("-": standard output); empty: none
    bool quiet = false;                  // -q: no diagnostics
    bool strict = false;                 // --strict: a run with a diagnostic fails (exit 1)
    bool allowPartial = false;           // --allow-partial: what a comparison passed over fails no run
    int jobs = 0;                        // -j N; 0: as many as this process may use CPUs
    std::vector<Gate> gates;             // --fail-if, then --max-relative and --max-absolute
    // --latitudes FIRST:LAST or --row-weights FILE (none by default), and
    // --tolerance X (nan: none).
    StatisticsSettings statistics;
    std::string rowWeightsFile;          // the FILE of --row-weights, as given
};


enum class StudyCommand { compare, help, version, usageError };

// Reads the options (getopt_long: they may come before or after the files,
// but --name names the log that follows it) and the files. On a usage error,
// `error` says what is wrong.
StudyCommand parseStudyOptions(int argc, char** argv, StudyOptions& options, std::string* error);

// Whether the log given as `log` is standard input ("-").
bool isStandardInput(const std::string& log);

// The log given as `log` as the study names it, in the summary, the
// diagnostics and the outputs: "stdin" for standard input, else as given.
std::string logName(const std::string& log);

// The --help text.
const char* studyUsage();

}  // namespace gridcmp
