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
    parsed.command = parseStudyOptions(static_cast<int>(words.size()), argv.data(), parsed.options, parsed.error);
    return parsed;
}

TEST(ParseStudyOptions, OptionsMayFollowTheFiles) {
    Parsed parsed = parse({"o.log", "q1.log", "--table", "t.tsv", "-j", "2", "q2.log", "-q", "--max-relative=1e-3",
                           "--strict"});
    ASSERT_EQ(parsed.command, StudyCommand::compare) << parsed.error;
    EXPECT_EQ(parsed.options.original, "o.log");
    EXPECT_EQ(parsed.options.quantized, (std::vector<std::string>{"q1.log", "q2.log"}));
    EXPECT_EQ(parsed.options.table, "t.tsv");
    EXPECT_EQ(parsed.options.jobs, 2);
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_TRUE(parsed.options.strict);
    EXPECT_TRUE(parsed.options.hasMaxRelative);
    EXPECT_EQ(parsed.options.maxRelative, 1e-3);
    EXPECT_FALSE(parsed.options.hasMaxAbsolute);
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
