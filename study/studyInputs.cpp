#include "study/studyInputs.h"

#include <sys/stat.h>
#include <utility>
#include <vector>

namespace gridcmp {

namespace {

struct Input {
    const std::string* path;
    bool known;  // stat could tell; otherwise the run that opens it says why not
    struct stat status;
};

// A pipe or a device gives its bytes once; a regular file can be read anew.
bool readableAgain(const Input& input) {
    return !input.known || S_ISREG(input.status.st_mode) || S_ISBLK(input.status.st_mode);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::string studyInputsProblem(const StudyOptions& options) {
    std::vector<Input> inputs;
    inputs.push_back({&options.original, false, {}});
    for (const std::string& quantized : options.quantized) inputs.push_back({&quantized, false, {}});
    for (Input& input : inputs) input.known = stat(input.path->c_str(), &input.status) == 0;

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (std::size_t j = i + 1; j < inputs.size(); ++j) {
            if (inputs[i].known && inputs[j].known && !readableAgain(inputs[i]) &&
                sameFile(inputs[i].status, inputs[j].status)) {
                return *inputs[i].path + " and " + *inputs[j].path +
                       " are the same pipe or device, which gives its bytes once: give each log its own";
            }
        }
    }
    int toStandardOutput = 0;
    const std::pair<const std::string*, const char*> outputs[] = {
        {&options.table, "the table"}, {&options.cells, "the cells file"}, {&options.json, "the JSON summary"}};
    for (const auto& [path, what] : outputs) {
        toStandardOutput += *path == "-";
        struct stat output;
        if (path->empty() || *path == "-" || stat(path->c_str(), &output) != 0) continue;
        for (const Input& input : inputs) {
            if (input.known && sameFile(input.status, output)) {
                return std::string(what) + " " + *path + " is the log " + *input.path +
                       ", which writing it would destroy: give it another name";
            }
        }
    }
    if (toStandardOutput > 1) return "only one of --table, --cells and --json can go to standard output (-)";
    // Two outputs to one file: the one written last would replace the other.
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = i + 1; j < 3; ++j) {
            const std::string& a = *outputs[i].first;
            const std::string& b = *outputs[j].first;
            if (a.empty() || b.empty() || a == "-" || b == "-") continue;
            struct stat first, second;
            bool same = a == b || (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
                                   sameFile(first, second));
            if (same) return std::string(outputs[i].second) + " and " + outputs[j].second + " are both " + a;
        }
    }
    return "";
}

}  // namespace gridcmp
