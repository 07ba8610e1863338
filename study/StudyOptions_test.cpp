#include "study/StudyOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace gridcmp;

struct Parsed {
    StudyCommand command;
    StudyOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> words) {
    words.insert(words.begin(), "gridcmp-study");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    Parsed parsed;
    parsed.command = parseStudyOptions(static_cast<int>(words.size()), argv.data(), parsed.options, &parsed.error);
    return parsed;
}

TEST(ParseStudyOptions, OptionsMayFollowTheFilesAndNamesGoWithTheLogAfterThem) {
    Parsed parsed = parse({"o.log", "q1.log", "--table", "t.tsv", "-j", "2", "--name", "fp16", "q2.log", "-q",
                           "--max-relative=1e-3", "--strict", "--fail-if", "correlation<0.999", "--cells", "0.5",
                           "c.tsv", "--json", "-", "--", "--q3.log"});
    ASSERT_EQ(parsed.command, StudyCommand::compare) << parsed.error;
    const StudyOptions& options = parsed.options;
    EXPECT_EQ(options.original, "o.log");
    EXPECT_EQ(options.quantized, (std::vector<std::string>{"q1.log", "q2.log", "--q3.log"}));
    EXPECT_EQ(options.names, (std::vector<std::string>{"q1.log", "fp16", "--q3.log"}));
    EXPECT_EQ(options.table, "t.tsv");
    EXPECT_EQ(options.cellsLabel, "0.5");
    EXPECT_EQ(options.cells, "c.tsv");
    EXPECT_EQ(options.json, "-");
    EXPECT_EQ(options.jobs, 2);
    EXPECT_TRUE(options.quiet);
    EXPECT_TRUE(options.strict);
    ASSERT_EQ(options.gates.size(), 2u);
    EXPECT_EQ(options.gates[0].figure, "relative_mean");
    EXPECT_TRUE(options.gates[0].failsAbove);
    EXPECT_EQ(options.gates[0].limit, 1e-3);
    EXPECT_EQ(options.gates[1].figure, "correlation");
    EXPECT_FALSE(options.gates[1].failsAbove);
    EXPECT_EQ(options.gates[1].limit, 0.999);
}

TEST(ParseStudyOptions, SaysWhatIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
        {{}, "no logs given"},
        {{"o.log"}, "no quantized log given"},
        {{"-j", "0", "o.log", "q.log"}, "-j wants a whole number of jobs from 1 up, not '0'"},
        {{"-j", "2x", "o.log", "q.log"}, "-j wants a whole number of jobs from 1 up, not '2x'"},
        {{"--max-absolute", "-1", "o.log", "q.log"}, "--max-absolute wants a number of 0 or more, not '-1'"},
        {{"--max-relative", "nan", "o.log", "q.log"}, "--max-relative wants a number of 0 or more, not 'nan'"},
        {{"-x", "o.log", "q.log"}, "unknown option -x"},
        {{"--colour", "o.log", "q.log"}, "unknown option --colour"},
        {{"o.log", "q.log", "--table"}, "option --table wants a value"},
        {{"--fail-if", "rmse", "o.log", "q.log"}, "--fail-if wants NAME<X or NAME>X, not 'rmse'"},
        {{"--fail-if", "rsme>1", "o.log", "q.log"}, "--fail-if: no run figure is named 'rsme' (see gridcmp-study --help)"},
        {{"--fail-if", "rmse>x", "o.log", "q.log"}, "--fail-if wants a number after >, not 'x'"},
        {{"--name", "a", "o.log", "q.log"}, "--name names the quantized log after it, and o.log is the original"},
        {{"o.log", "q.log", "--name", "a"}, "--name a is not followed by a quantized log"},
        {{"o.log", "q.log", "--cells", "0.5"}, "--cells wants a label and a file"},
        {{"--latitudes", "-90:91", "o.log", "q.log"},
         "--latitudes wants FIRST:LAST, two latitudes from -90 to 90 degrees, not '-90:91'"},
        {{"--latitudes", "90", "o.log", "q.log"},
         "--latitudes wants FIRST:LAST, two latitudes from -90 to 90 degrees, not '90'"},
        {{"--latitudes", "0:1", "--row-weights", "w", "o.log", "q.log"}, "give one of --latitudes and --row-weights, once"},
        {{"--row-weights", "/dev/null", "o.log", "q.log"}, "--row-weights /dev/null: no weights"},
        {{"--tolerance", "-1", "o.log", "q.log"}, "--tolerance wants a number of 0 or more, not '-1'"},
        {{"--fail-if", "over_tolerance>0", "o.log", "q.log"},
         "--fail-if over_tolerance>0: over_tolerance is a figure only with --tolerance"},
        {{"--tolerance", "1", "--fail-if", "absolute_mean_weighted>1", "o.log", "q.log"},
         "--fail-if absolute_mean_weighted>1: absolute_mean_weighted is a figure only with --latitudes or --row-weights"},
    };
    for (const auto& [words, error] : wrong) {
        Parsed parsed = parse(words);
        EXPECT_EQ(parsed.command, StudyCommand::usageError) << error;
        EXPECT_EQ(parsed.error, error);
    }
    EXPECT_EQ(parse({"o.log", "--help"}).command, StudyCommand::help);
    EXPECT_EQ(parse({"-V"}).command, StudyCommand::version);
}

}  // namespace
