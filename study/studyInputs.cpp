#include "study/studyInputs.h"

#include <sys/stat.h>
#include <vector>

#include "study/studyOutputs.h"

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

// What is wrong with the files given, or "" when nothing is.
std::string problemOf(const StudyOptions& given, bool standardInputClosed) {
    std::vector<Input> inputs;
    inputs.push_back({&given.original, false, {}});
    for (const std::string& quantized : given.quantized) inputs.push_back({&quantized, false, {}});
    // Closed, standard input is held by /dev/null on descriptor 0: a log
    // that is that file (/dev/stdin, /dev/fd/0, /dev/null itself) would read
    // as an empty log, not as what was meant.
    struct stat placeholder;
    bool held = standardInputClosed && fstat(0, &placeholder) == 0;
    for (Input& input : inputs) {
        if (isStandardInput(*input.path) && standardInputClosed) return "- is standard input, which is closed";
        input.known = isStandardInput(*input.path) ? fstat(0, &input.status) == 0
                                                   : stat(input.path->c_str(), &input.status) == 0;
        if (held && input.known && sameFile(input.status, placeholder)) {
            return *input.path + " is standard input, which is closed";
        }
    }

    for (std::size_t i = 0; i < inputs.size(); ++i) {
        for (std::size_t j = i + 1; j < inputs.size(); ++j) {
            // Standard input is read from where it stands, once, whatever it
            // is: no other log may read it too, under any name (/dev/stdin),
            // a regular file's own included.
            bool either = isStandardInput(*inputs[i].path) || isStandardInput(*inputs[j].path);
            bool both = isStandardInput(*inputs[i].path) && isStandardInput(*inputs[j].path);
            bool same = inputs[i].known && inputs[j].known && sameFile(inputs[i].status, inputs[j].status);
            if (both || (either && same)) {
                return *inputs[i].path + " and " + *inputs[j].path + " are one file, standard input: give it once";
            }
            if (same && !readableAgain(inputs[i])) {
                return *inputs[i].path + " and " + *inputs[j].path +
                       " are the same pipe or device, which gives its bytes once: give each log its own";
            }
        }
    }
    int toStandardOutput = 0;
    std::string options;  // "--table, --cells and --json"
    for (int k = 0; k < kStudyOutputCount; ++k) {
        const StudyOutput& output = kStudyOutputs[k];
        options += std::string(k == 0 ? "" : k + 1 < kStudyOutputCount ? ", " : " and ") + output.option;
        const std::string& path = given.*output.destination;
        toStandardOutput += path == "-";
        struct stat status;
        if (path.empty() || path == "-" || stat(path.c_str(), &status) != 0) continue;
        for (const Input& input : inputs) {
            if (input.known && sameFile(input.status, status)) {
                std::string log = isStandardInput(*input.path) ? "- (standard input)" : *input.path;
                return std::string("the ") + output.name + " " + path + " is the log " + log +
                       ", which writing it would destroy: give it another name";
            }
        }
    }
    if (toStandardOutput > 1) return "only one of " + options + " can go to standard output (-)";
    // Two outputs to one file: the one written last would replace the other.
    for (int i = 0; i < kStudyOutputCount; ++i) {
        for (int j = i + 1; j < kStudyOutputCount; ++j) {
            const std::string& a = given.*kStudyOutputs[i].destination;
            const std::string& b = given.*kStudyOutputs[j].destination;
            if (a.empty() || b.empty() || a == "-" || b == "-") continue;
            struct stat first, second;
            bool same = a == b || (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
                                   sameFile(first, second));
            if (same) return std::string("the ") + kStudyOutputs[i].name + " and the " + kStudyOutputs[j].name +
                             " are both " + a;
        }
    }
    return "";
}

}  // namespace

bool checkStudyInputs(const StudyOptions& options, bool standardInputClosed, std::string* error) {
    *error = problemOf(options, standardInputClosed);
    return error->empty();
}

}  // namespace gridcmp
