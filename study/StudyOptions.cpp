#include "study/StudyOptions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

#include "study/runFigures.h"

namespace gridcmp {

namespace {

bool readThreshold(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && errno == 0 && std::isfinite(value) && value >= 0.0;
}

bool readJobs(const char* text, int& jobs) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || value < 1 || value > INT_MAX) return false;
    jobs = static_cast<int>(value);
    return true;
}

// NAME<X or NAME>X, NAME a run figure, X a finite number.
bool readGate(const char* text, Gate& gate, std::string& error) {
    const char* comparison = std::strpbrk(text, "<>");
    std::string name = comparison ? std::string(text, comparison - text) : std::string(text);
    if (!comparison || name.empty()) {
        error = std::string("--fail-if wants NAME<X or NAME>X, not '") + text + "'";
        return false;
    }
    if (!isRunFigure(name.c_str())) {
        error = "--fail-if: no run figure is named '" + name + "' (see gridcmp-study --help)";
        return false;
    }
    char* end = nullptr;
    errno = 0;
    double limit = std::strtod(comparison + 1, &end);
    if (end == comparison + 1 || *end != '\0' || errno != 0 || !std::isfinite(limit)) {
        error = std::string("--fail-if wants a number after ") + *comparison + ", not '" + (comparison + 1) + "'";
        return false;
    }
    gate = Gate{name, *comparison == '>', limit, text};
    return true;
}

// The option getopt_long has just refused, as the user wrote it.
std::string refusedOption(char** argv) {
    std::string word = argv[optind - 1];
    if (word.compare(0, 2, "--") == 0) return word.substr(0, word.find('='));
    return std::string("-") + static_cast<char>(optopt);
}

}  // namespace

const char* studyUsage() {
    return "usage: gridcmp-study [OPTIONS] ORIGINAL QUANTIZED...\n"
           "Compares the original run's grid log with each quantized run's, as gridcmp\n"
           "does, and writes one summary line per run.\n"
           "\n"
           "  -t, --table FILE        write every compared block of every run to FILE, tab-\n"
           "                          separated, at full precision (-: standard output;\n"
           "                          the summary then goes to standard error)\n"
           "  -j, --jobs N            compare up to N runs at once (default: one per CPU\n"
           "                          this process may run on)\n"
           "      --max-relative X    exit 3 if a run's mean |1 - s/q| exceeds X\n"
           "      --max-absolute X    exit 3 if a run's mean |s - q| exceeds X\n"
           "  -q, --quiet             no diagnostics on standard error\n"
           "      --strict            a run that passed over anything fails: exit 1 for\n"
           "                          every diagnostic\n"
           "  -h, --help              this text\n"
           "  -V, --version           the version\n"
           "\n"
           "Exit status: 0 every run compared and paired blocks; 1 a run stopped on a\n"
           "message or paired no block (with --strict: or had a diagnostic); 2 a usage\n"
           "error or a file that cannot be read or written; 3 a mean above\n"
           "--max-relative or --max-absolute.\n";
}

StudyCommand parseStudyOptions(int argc, char** argv, StudyOptions& options, std::string& error) {
    enum { maxRelativeOption = 1000, maxAbsoluteOption, strictOption, failIfOption, nameOption, jsonOption,
           cellsOption };
    const option longOptions[] = {
        {"table", required_argument, nullptr, 't'},
        {"json", required_argument, nullptr, jsonOption},
        {"cells", required_argument, nullptr, cellsOption},
        {"name", required_argument, nullptr, nameOption},
        {"jobs", required_argument, nullptr, 'j'},
        {"fail-if", required_argument, nullptr, failIfOption},
        {"max-relative", required_argument, nullptr, maxRelativeOption},
        {"max-absolute", required_argument, nullptr, maxAbsoluteOption},
        {"quiet", no_argument, nullptr, 'q'},
        {"strict", no_argument, nullptr, strictOption},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    // From the start, also when called again (tests): glibc starts anew at 0.
#ifdef __GLIBC__
    optind = 0;
#else
    optind = 1;
#endif
    std::vector<std::string> files;
    std::vector<std::string> names;  // for each file after the first: its --name, or ""
    std::string pendingName;
    bool namePending = false;
    auto addFile = [&](const char* file) {
        if (namePending && files.empty()) {
            error = std::string("--name names the quantized log after it, and ") + file + " is the original";
            return false;
        }
        if (!files.empty()) names.push_back(namePending ? pendingName : std::string());
        files.push_back(file);
        namePending = false;
        return true;
    };
    // "-": the files come back in order among the options (1), so that each
    // --name goes with the log that follows it.
    for (;;) {
        int index = 0;
        int choice = getopt_long(argc, argv, "-:t:j:qhV", longOptions, &index);
        if (choice == -1) break;
        switch (choice) {
            case 1:
                if (!addFile(optarg)) return StudyCommand::usageError;
                break;
            case 't': options.table = optarg; break;
            case jsonOption: options.json = optarg; break;
            case cellsOption:
                // --cells LABEL FILE: the file is the word after the label.
                if (optind >= argc) {
                    error = "--cells wants a label and a file";
                    return StudyCommand::usageError;
                }
                options.cellsLabel = optarg;
                options.cells = argv[optind++];
                break;
            case nameOption:
                if (namePending) {
                    error = std::string("--name ") + pendingName + " is not followed by a quantized log";
                    return StudyCommand::usageError;
                }
                pendingName = optarg;
                namePending = true;
                break;
            case 'j':
                if (!readJobs(optarg, options.jobs)) {
                    error = std::string("-j wants a whole number of jobs from 1 up, not '") + optarg + "'";
                    return StudyCommand::usageError;
                }
                break;
            case failIfOption: {
                Gate gate;
                if (!readGate(optarg, gate, error)) return StudyCommand::usageError;
                options.gates.push_back(gate);
                break;
            }
            case maxRelativeOption:
            case maxAbsoluteOption: {
                bool relative = choice == maxRelativeOption;
                const char* option = relative ? "--max-relative" : "--max-absolute";
                double limit = 0.0;
                if (!readThreshold(optarg, limit)) {
                    error = std::string(option) + " wants a number of 0 or more, not '" + optarg + "'";
                    return StudyCommand::usageError;
                }
                options.gates.push_back(
                    Gate{relative ? "relative_mean" : "absolute_mean", true, limit, std::string(option) + " " + optarg});
                break;
            }
            case 'q': options.quiet = true; break;
            case strictOption: options.strict = true; break;
            case 'h': return StudyCommand::help;
            case 'V': return StudyCommand::version;
            case ':': error = "option " + refusedOption(argv) + " wants a value"; return StudyCommand::usageError;
            default: error = "unknown option " + refusedOption(argv); return StudyCommand::usageError;
        }
    }
    for (int i = optind; i < argc; ++i) {  // after "--"
        if (!addFile(argv[i])) return StudyCommand::usageError;
    }
    if (namePending) {
        error = std::string("--name ") + pendingName + " is not followed by a quantized log";
        return StudyCommand::usageError;
    }
    if (files.size() < 2) {
        error = files.empty() ? "no logs given" : "no quantized log given";
        return StudyCommand::usageError;
    }
    options.original = files[0];
    options.quantized.assign(files.begin() + 1, files.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        options.names.push_back(names[i].empty() ? options.quantized[i] : names[i]);
    }
    return StudyCommand::compare;
}

}  // namespace gridcmp
