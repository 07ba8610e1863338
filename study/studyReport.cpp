#include "study/studyReport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "study/escapedText.h"

namespace gridcmp {

namespace {

std::string number(double value) {
    if (std::isnan(value)) return "nan";
    char text[32];
    std::snprintf(text, sizeof text, "%.6e", value);
    return text;
}

std::string worstBlock(bool has, const std::string& label, double mean) {
    return has ? number(mean) + " at " + label : "-";
}

bool unreadable(const RunSummary& run) { return !run.unreadableFile.empty(); }

std::string reasonOf(int error) { return error ? std::strerror(error) : "it gives nothing to read"; }

// "3 more blocks", "at least 3 more blocks" when counting them met a line
// that could not be read.
std::string blocksLeftText(const RunSummary& run) {
    return (run.blocksLeftAtLeast ? "at least " : "") + std::to_string(run.blocksLeft) +
           (run.blocksLeft == 1 && !run.blocksLeftAtLeast ? " more block" : " more blocks");
}

std::string endText(const RunSummary& run) {
    if (unreadable(run)) return "cannot read " + run.unreadableFile + ": " + reasonOf(run.unreadableError);
    if (run.end != RunEnd::logEnded) return "stopped: " + run.endMessage;
    if (run.originalEnded && run.quantizedEnded) return "both logs ended";
    if (run.originalEnded) return "original ended first; quantized had " + blocksLeftText(run);
    return "quantized ended first; original had " + blocksLeftText(run);
}

bool compared(const RunSummary& run) { return run.cellsCompared > 0; }

std::vector<std::string> summaryCells(const RunSummary& run) {
    return {run.quantized,
            std::to_string(run.blocksPaired),
            std::to_string(run.counts.unpairedOriginal) + "/" + std::to_string(run.counts.unpairedQuantized),
            compared(run) ? number(run.relativeMean) : "-",
            worstBlock(run.hasWorstRelative, run.worstRelativeLabel, run.worstRelative),
            compared(run) ? number(run.absoluteMean) : "-",
            worstBlock(run.hasWorstAbsolute, run.worstAbsoluteLabel, run.worstAbsolute),
            std::to_string(run.nonFiniteRelativeBlocks),
            endText(run)};
}

void noteCarriageReturns(std::vector<std::string>& said, const std::string& file, long long line) {
    said.push_back(file + ": carriage-return line ends (from line " + std::to_string(line) +
                   "): its blank lines do not end blocks; convert it first: tr -d '\\r' <" + file + " >" + file +
                   ".unix");
}

void noteUnterminated(std::vector<std::string>& said, const std::string& file, long long line) {
    said.push_back(file + " ends without a newline at line " + std::to_string(line) + " (cut short?)");
}

// What is off in the original log itself, whichever run met it: the runs
// read it each as far as their own comparison went.
std::vector<std::string> aboutOriginal(const std::vector<RunSummary>& runs) {
    std::vector<std::string> said;
    if (runs.empty()) return said;
    long long carriageReturnLine = 0;
    long long unterminatedLine = 0;
    for (const RunSummary& run : runs) {
        long long line = run.originalCarriageReturnLine;
        if (line > 0 && (carriageReturnLine == 0 || line < carriageReturnLine)) carriageReturnLine = line;
        if (run.originalUnterminatedLine > 0) unterminatedLine = run.originalUnterminatedLine;
    }
    if (carriageReturnLine > 0) noteCarriageReturns(said, runs[0].original, carriageReturnLine);
    if (unterminatedLine > 0) noteUnterminated(said, runs[0].original, unterminatedLine);
    return said;
}

// What the run passed over without a word from gridcmp, in words; the
// caller adds the run's name.
std::vector<std::string> passedOver(const RunSummary& run) {
    const std::string& original = run.original;
    const std::string& quantized = run.quantized;
    std::vector<std::string> said;
    if (run.quantizedCarriageReturnLine > 0) noteCarriageReturns(said, quantized, run.quantizedCarriageReturnLine);
    if (run.quantizedUnterminatedLine > 0) noteUnterminated(said, quantized, run.quantizedUnterminatedLine);
    const PairingCounts& counts = run.counts;
    bool pairingSaid = false;
    if (run.blocksPaired == 0 && run.end == RunEnd::logEnded && !run.firstOriginalLabel.empty()) {
        said.push_back(quantized + ": no block paired with " + original + " (first labels '" + run.firstOriginalLabel +
                       "' and '" + run.firstQuantizedLabel +
                       "'): blocks pair only when their labels are spelled alike, byte for byte");
        pairingSaid = true;
    }
    if (counts.labelsOutOfNumericOrder) {
        said.push_back(quantized + ": labels pair in byte order, not as numbers: block '" + escapedText(counts.skippedLabel) +
                       "' of " + (counts.skippedWasOriginal ? original : quantized) + " was skipped as if before '" +
                       escapedText(counts.otherLabel) + "'; pad labels to one width in both logs (see gridcmp-study(1))");
        pairingSaid = true;
    }
    if (!pairingSaid && counts.unpairedOriginal + counts.unpairedQuantized > 0) {
        said.push_back(quantized + ": " + std::to_string(counts.unpairedQuantized) + " of its blocks and " +
                       std::to_string(counts.unpairedOriginal) + " of " + original +
                       " found no partner with the same label, and were skipped");
    }
    if (run.end == RunEnd::logEnded && run.blocksLeft > 0) {
        const std::string& first = run.originalEnded ? original : quantized;
        const std::string& other = run.originalEnded ? quantized : original;
        said.push_back(quantized + ": " + first + " ended first; " + other + " had " + blocksLeftText(run) +
                       ", not compared (is " + first + " cut short?)");
    }
    if (counts.widerOriginalRows > 0) {
        said.push_back(quantized + ": " + std::to_string(counts.widerOriginalRows) + " rows of " + original +
                       " have more values than the quantized rows (first at line " +
                       std::to_string(counts.firstWiderOriginalLine) + "); the surplus values were not compared");
    }
    if (counts.longerQuantizedBlocks > 0) {
        said.push_back(quantized + ": " + std::to_string(counts.longerQuantizedBlocks) +
                       " of its blocks have more rows than the original's (first surplus row at line " +
                       std::to_string(counts.firstLongerQuantizedLine) + "); the surplus rows were not compared");
    }
    if (counts.raggedBlocks > 0) {
        said.push_back(quantized + ": " + std::to_string(counts.raggedBlocks) +
                       " of its blocks have rows of different widths (first at line " +
                       std::to_string(counts.firstRaggedLine) +
                       "): gridcmp's report divides their sums by columns x rows, the study by the cells compared");
    }
    return said;
}

// The means of the run above the limits given, in words (nan is above any).
std::vector<std::string> aboveLimits(const RunSummary& run, const StudyOptions& options) {
    std::vector<std::string> said;
    if (!compared(run)) return said;
    if (options.hasMaxRelative && !(run.relativeMean <= options.maxRelative)) {
        said.push_back(run.quantized + ": mean |1-s/q| " + number(run.relativeMean) + " is above --max-relative " +
                       number(options.maxRelative));
    }
    if (options.hasMaxAbsolute && !(run.absoluteMean <= options.maxAbsolute)) {
        said.push_back(run.quantized + ": mean |s-q| " + number(run.absoluteMean) + " is above --max-absolute " +
                       number(options.maxAbsolute));
    }
    return said;
}

}  // namespace

void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs) {
    std::vector<std::vector<std::string>> lines = {{"run", "paired", "unpaired", "mean |1-s/q|", "worst block",
                                                    "mean |s-q|", "worst block", "nan/inf", "end"}};
    for (const RunSummary& run : runs) lines.push_back(summaryCells(run));
    const std::size_t columns = lines[0].size();
    const bool rightAligned[] = {false, true, true, true, false, true, false, true, false};
    std::vector<std::size_t> widths(columns, 0);
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < columns; ++i) widths[i] = std::max(widths[i], line[i].size());
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < columns; ++i) {
            std::string padding(widths[i] - line[i].size(), ' ');
            bool last = i + 1 == columns;
            text += rightAligned[i] ? padding + line[i] : line[i] + (last ? "" : padding);
            if (!last) text += "  ";
        }
        std::fprintf(out, "%s\n", text.c_str());
    }
}

void writeDiagnostics(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options) {
    auto say = [out](const std::string& text) { std::fprintf(out, "gridcmp-study: %s\n", text.c_str()); };
    bool originalUnreadableSaid = false;
    for (const RunSummary& run : runs) {
        if (unreadable(run) && run.unreadableFile == run.original) {
            if (!originalUnreadableSaid) say("cannot read " + run.unreadableFile + ": " + reasonOf(run.unreadableError));
            originalUnreadableSaid = true;
        }
    }
    for (const std::string& text : aboutOriginal(runs)) say(text);
    for (const RunSummary& run : runs) {
        if (unreadable(run)) {
            if (run.unreadableFile != run.original) {
                say("cannot read " + run.unreadableFile + ": " + reasonOf(run.unreadableError));
            }
            continue;
        }
        if (run.tableWriteFailed) {
            say(run.quantized + ": cannot write its rows of the table: " + reasonOf(run.tableWriteError));
        }
        if (run.end != RunEnd::logEnded) say(run.quantized + ": the comparison stopped: " + run.endMessage);
        for (const std::string& text : passedOver(run)) say(text);
        for (const std::string& text : aboveLimits(run, options)) say(text);
    }
}

int studyExitStatus(const std::vector<RunSummary>& runs, const StudyOptions& options) {
    auto any = [&runs](auto condition) { return std::any_of(runs.begin(), runs.end(), condition); };
    if (any([](const RunSummary& run) { return unreadable(run) || run.tableWriteFailed; })) return 2;
    if (any([&options](const RunSummary& run) {
            return run.end != RunEnd::logEnded || run.blocksPaired == 0 ||
                   (options.strict && !passedOver(run).empty());
        })) {
        return 1;
    }
    if (options.strict && !aboutOriginal(runs).empty()) return 1;
    return any([&options](const RunSummary& run) { return !aboveLimits(run, options).empty(); }) ? 3 : 0;
}

}  // namespace gridcmp
