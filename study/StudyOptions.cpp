#include "study/StudyOptions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <getopt.h>

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
    enum { maxRelativeOption = 1000, maxAbsoluteOption, strictOption };
    const option longOptions[] = {
        {"table", required_argument, nullptr, 't'},
        {"jobs", required_argument, nullptr, 'j'},
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
    for (;;) {
        int index = 0;
        int choice = getopt_long(argc, argv, ":t:j:qhV", longOptions, &index);
        if (choice == -1) break;
        switch (choice) {
            case 't': options.table = optarg; break;
            case 'j':
                if (!readJobs(optarg, options.jobs)) {
                    error = std::string("-j wants a whole number of jobs from 1 up, not '") + optarg + "'";
                    return StudyCommand::usageError;
                }
                break;
            case maxRelativeOption:
            case maxAbsoluteOption: {
                bool relative = choice == maxRelativeOption;
                double& limit = relative ? options.maxRelative : options.maxAbsolute;
                if (!readThreshold(optarg, limit)) {
                    error = std::string(relative ? "--max-relative" : "--max-absolute") +
                            " wants a number of 0 or more, not '" + optarg + "'";
                    return StudyCommand::usageError;
                }
                (relative ? options.hasMaxRelative : options.hasMaxAbsolute) = true;
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
    if (argc - optind < 2) {
        error = argc - optind == 0 ? "no logs given" : "no quantized log given";
        return StudyCommand::usageError;
    }
    options.original = argv[optind];
    for (int i = optind + 1; i < argc; ++i) options.quantized.push_back(argv[i]);
    return StudyCommand::compare;
}

}  // namespace gridcmp
