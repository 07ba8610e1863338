#include "study/StudyOptions.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

#include "study/rowWeightsFile.h"
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

// FIRST:LAST, two latitudes in degrees from -90 to 90.
bool readLatitudes(const char* text, RowWeights& weights) {
    char* end = nullptr;
    errno = 0;
    double first = std::strtod(text, &end);
    if (end == text || *end != ':' || errno != 0) return false;
    const char* second = end + 1;
    double last = std::strtod(second, &end);
    if (end == second || *end != '\0' || errno != 0) return false;
    if (!(first >= -90.0 && first <= 90.0 && last >= -90.0 && last <= 90.0)) return false;
    weights.kind = RowWeights::Kind::latitudes;
    weights.firstLatitude = first;
    weights.lastLatitude = last;
    return true;
}

// NAME<X or NAME>X, NAME a run figure, X a finite number.
bool readGate(const char* text, Gate& gate, std::string* error) {
    const char* comparison = std::strpbrk(text, "<>");
    std::string name = comparison ? std::string(text, comparison - text) : std::string(text);
    if (!comparison || name.empty()) {
        *error = std::string("--fail-if wants NAME<X or NAME>X, not '") + text + "'";
        return false;
    }
    if (!isRunFigure(name.c_str())) {
        *error = "--fail-if: no run figure is named '" + name + "' (see gridcmp-study --help)";
        return false;
    }
    char* end = nullptr;
    errno = 0;
    double limit = std::strtod(comparison + 1, &end);
    if (end == comparison + 1 || *end != '\0' || errno != 0 || !std::isfinite(limit)) {
        *error = std::string("--fail-if wants a number after ") + *comparison + ", not '" + (comparison + 1) + "'";
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

// The run figures' names, wrapped into the option column of the help text.
std::string figureNamesText() {
    std::string text;
    std::string line;
    for (int i = 0; i < runFigureCount(); ++i) {
        std::string name = runFigureName(i);
        if (!line.empty() && line.size() + 1 + name.size() > 52) {
            text += "                          " + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + name;
    }
    return text + "                          " + line + "\n";
}

}  // namespace

bool isStandardInput(const std::string& log) { return log == "-"; }

std::string logName(const std::string& log) { return isStandardInput(log) ? "stdin" : log; }

const char* studyUsage() {
    static const std::string usage = std::string() + "usage: gridcmp-study [OPTIONS] ORIGINAL [--name NAME] QUANTIZED...\n"
           "Compares the original run's grid log with each quantized run's, as gridcmp\n"
           "does, and writes one summary line per run. Any log may be gzip- or\n"
           "zstd-compressed; one of them may be -, standard input (named stdin).\n"
           "\n"
           "  -t, --table FILE        every compared block of every run, tab-separated, at\n"
           "                          full precision (-: standard output, the summary then\n"
           "                          goes to standard error)\n"
           "      --json FILE         every run's figures, worst cells and blocks, gates\n"
           "                          and diagnostics as JSON (-: standard output)\n"
           "      --cells LABEL FILE  every compared cell of the blocks labelled LABEL, in\n"
           "                          every run: a map of the error (gridcmp-plot --map)\n"
           "      --name NAME         names the quantized run that follows (default: its\n"
           "                          file name, stdin for -)\n"
           "      --fail-if NAME<X, --fail-if NAME>X\n"
           "                          exit 3 when the run figure NAME is below X (<), or\n"
           "                          above X (>); nan fails. May be repeated. Figures:\n" +
           figureNamesText() +
           "                          (over_tolerance* only with --tolerance, *_weighted\n"
           "                          only with --latitudes or --row-weights, bit_pairs,\n"
           "                          information_*, keepbits, quantized_bits and\n"
           "                          bits_margin only with --bits)\n"
           "      --max-relative X    the same as --fail-if 'relative_mean>X'\n"
           "      --max-absolute X    the same as --fail-if 'absolute_mean>X'\n"
           "      --latitudes FIRST:LAST\n"
           "                          weigh each row by the cosine of its latitude, the\n"
           "                          rows of a block evenly spaced from FIRST (row 1) to\n"
           "                          LAST degrees: area-weighted figures\n"
           "      --row-weights FILE  weigh row i of every block by the number on line i\n"
           "                          of FILE\n"
           "      --tolerance X       count the cells whose |s-q| is above X (or nan):\n"
           "                          over_tolerance, over_tolerance_fraction\n"
           "      --bits              the original's bitwise information per block and per\n"
           "                          run, against the mantissa bits each quantized run\n"
           "                          carries: bit_pairs, information_bits, keepbits,\n"
           "                          quantized_bits, bits_margin, information_kept\n"
           "      --information LEVEL\n"
           "                          the share of the information keepbits keeps, above\n"
           "                          0 and at most 1 (default 0.99); turns --bits on\n"
           "  -j, --jobs N            compare up to N runs at once (default: one per CPU\n"
           "                          this process may run on)\n"
           "  -q, --quiet             no diagnostics on standard error\n"
           "      --allow-partial     what a comparison passed over (blocks without a\n"
           "                          partner, left over, cut or run together, values or\n"
           "                          rows without one, a last line cut) is said, and\n"
           "                          fails no run\n"
           "      --strict            a run with any diagnostic fails (but for the notes on\n"
           "                          quantized values of 0 and on the original's digits,\n"
           "                          and with --allow-partial what was passed over)\n"
           "  -h, --help              this text\n"
           "  -V, --version           the version\n"
           "\n"
           "A run fails (exit 1) when it stopped on a message, paired no block, compared\n"
           "no cell, has a quantized value of nan or inf where the original's is finite,\n"
           "a figure that overflowed, rows without a weight or none above 0 (with\n"
           "weights), or passed over anything (unless --allow-partial);\n"
           "every run fails when the original has a nan or inf value a run compared. A\n"
           "gate on nonfinite_quantized or nonfinite_blocks, on nonfinite_original, or on\n"
           "paired_fraction, blocks_unpaired_original, blocks_unpaired_quantized or\n"
           "blocks_left replaces the test of what it counts. Quantized values of 0 fail\n"
           "nothing by themselves.\n"
           "Exit status: 0 every run passed; 1 a run failed as above; 2 a usage error or a\n"
           "file that cannot be read or written; 3 a gate failed (1 and 2 come first).\n";
    return usage.c_str();
}

StudyCommand parseStudyOptions(int argc, char** argv, StudyOptions& options, std::string* error) {
    enum { maxRelativeOption = 1000, maxAbsoluteOption, strictOption, failIfOption, nameOption, jsonOption,
           cellsOption, allowPartialOption, latitudesOption, rowWeightsOption, toleranceOption, bitsOption,
           informationOption };
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
        {"allow-partial", no_argument, nullptr, allowPartialOption},
        {"latitudes", required_argument, nullptr, latitudesOption},
        {"row-weights", required_argument, nullptr, rowWeightsOption},
        {"tolerance", required_argument, nullptr, toleranceOption},
        {"bits", no_argument, nullptr, bitsOption},
        {"information", required_argument, nullptr, informationOption},
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
            *error = std::string("--name names the quantized log after it, and ") + file + " is the original";
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
                    *error = "--cells wants a label and a file";
                    return StudyCommand::usageError;
                }
                options.cellsLabel = optarg;
                options.cells = argv[optind++];
                break;
            case nameOption:
                if (namePending) {
                    *error = std::string("--name ") + pendingName + " is not followed by a quantized log";
                    return StudyCommand::usageError;
                }
                pendingName = optarg;
                namePending = true;
                break;
            case 'j':
                if (!readJobs(optarg, options.jobs)) {
                    *error = std::string("-j wants a whole number of jobs from 1 up, not '") + optarg + "'";
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
                    *error = std::string(option) + " wants a number of 0 or more, not '" + optarg + "'";
                    return StudyCommand::usageError;
                }
                options.gates.push_back(
                    Gate{relative ? "relative_mean" : "absolute_mean", true, limit, std::string(option) + " " + optarg});
                break;
            }
            case latitudesOption:
            case rowWeightsOption:
                if (options.statistics.weights.kind != RowWeights::Kind::none) {
                    *error = "give one of --latitudes and --row-weights, once";
                    return StudyCommand::usageError;
                }
                if (choice == latitudesOption && !readLatitudes(optarg, options.statistics.weights)) {
                    *error = std::string("--latitudes wants FIRST:LAST, two latitudes from -90 to 90 degrees, not '") +
                             optarg + "'";
                    return StudyCommand::usageError;
                }
                if (choice == rowWeightsOption) {
                    if (!readRowWeights(optarg, options.statistics.weights.values, error)) return StudyCommand::usageError;
                    options.statistics.weights.kind = RowWeights::Kind::perRow;
                    scaleRowWeights(options.statistics.weights);
                    options.rowWeightsFile = optarg;
                }
                break;
            case toleranceOption:
                if (!readThreshold(optarg, options.statistics.tolerance)) {
                    *error = std::string("--tolerance wants a number of 0 or more, not '") + optarg + "'";
                    return StudyCommand::usageError;
                }
                break;
            case bitsOption: options.statistics.bits = true; break;
            case informationOption:
                if (!readThreshold(optarg, options.statistics.informationLevel) ||
                    !(options.statistics.informationLevel > 0.0 && options.statistics.informationLevel <= 1.0)) {
                    *error = std::string("--information wants a number above 0 and at most 1, not '") + optarg + "'";
                    return StudyCommand::usageError;
                }
                options.statistics.bits = true;
                break;
            case 'q': options.quiet = true; break;
            case strictOption: options.strict = true; break;
            case allowPartialOption: options.allowPartial = true; break;
            case 'h': return StudyCommand::help;
            case 'V': return StudyCommand::version;
            case ':': *error = "option " + refusedOption(argv) + " wants a value"; return StudyCommand::usageError;
            default: *error = "unknown option " + refusedOption(argv); return StudyCommand::usageError;
        }
    }
    for (int i = optind; i < argc; ++i) {  // after "--"
        if (!addFile(argv[i])) return StudyCommand::usageError;
    }
    if (namePending) {
        *error = std::string("--name ") + pendingName + " is not followed by a quantized log";
        return StudyCommand::usageError;
    }
    if (files.size() < 2) {
        *error = files.empty() ? "no logs given" : "no quantized log given";
        return StudyCommand::usageError;
    }
    for (const Gate& gate : options.gates) {
        if (!runFigureGiven(gate.figure.c_str(), options)) {
            *error = "--fail-if " + gate.text + ": " + gate.figure + " is a figure only with " +
                     runFigureNeeds(gate.figure.c_str());
            return StudyCommand::usageError;
        }
    }
    options.original = files[0];
    options.quantized.assign(files.begin() + 1, files.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        options.names.push_back(names[i].empty() ? logName(options.quantized[i]) : names[i]);
    }
    return StudyCommand::compare;
}

}  // namespace gridcmp
