#include "study/studyReport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "study/escapedText.h"
#include "study/runFigures.h"

namespace gridcmp {

namespace {

std::string number(double value, int digits) {
    if (std::isnan(value)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.*e", digits, value);
    return text;
}

std::string fixed(double value) {
    if (std::isnan(value)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.7f", value);
    return text;
}

bool unreadable(const RunSummary& run) { return !run.unreadableFile.empty(); }

std::string reasonOf(int error) { return error ? std::strerror(error) : "it gives nothing to read"; }

// Why a log could not be read: the library's or the system's words.
std::string unreadableText(const RunSummary& run) {
    return run.unreadableReason.empty() ? reasonOf(run.unreadableError) : run.unreadableReason;
}

// "3 more blocks", "at least 3 more blocks" when counting them met a line
// that could not be read.
std::string blocksLeftText(const RunSummary& run) {
    return (run.blocksLeftAtLeast ? "at least " : "") + std::to_string(run.blocksLeft) +
           (run.blocksLeft == 1 && !run.blocksLeftAtLeast ? " more block" : " more blocks");
}

bool compared(const RunSummary& run) { return run.cellsCompared > 0; }

Diagnostic said(const char* kind, const std::string& file, const std::string& text, long long count = 0,
                long long line = 0, bool failsStrict = true) {
    return Diagnostic{kind, file, count, line, text, failsStrict};
}

void carriageReturns(std::vector<Diagnostic>& out, const std::string& who, const std::string& file, long long line) {
    out.push_back(said("carriage_returns", file,
                       who + ": carriage-return line ends (from line " + std::to_string(line) +
                           "): its blank lines do not end blocks; convert it first: tr -d '\\r' <" + file + " >" +
                           file + ".unix",
                       0, line));
}

void unterminated(std::vector<Diagnostic>& out, const std::string& file, long long line) {
    out.push_back(said("unterminated_last_line", file,
                       file + " ends without a newline at line " + std::to_string(line) + " (cut short?)", 0, line));
}

std::vector<std::string> summaryCells(const RunSummary& run) {
    return {run.name,
            std::to_string(run.blocksPaired),
            std::to_string(run.counts.unpairedOriginal) + "/" + std::to_string(run.counts.unpairedQuantized),
            compared(run) ? number(run.relativeMean, 3) : "-",
            compared(run) ? number(run.absoluteMean, 3) : "-",
            compared(run) ? number(runFigure(run, "rmse"), 3) : "-",
            compared(run) ? fixed(runFigure(run, "correlation")) : "-",
            run.worstRmse.found ? shownLabel(run.worstRmse.label) : "-",
            std::to_string(run.nonfiniteBlocks),
            endText(run)};
}

}  // namespace

std::string shownLabel(const std::string& label) {
    return escapedText(label.substr(0, std::min(label.size(), kShownLabelChars)).c_str());
}

std::string endText(const RunSummary& run) {
    if (unreadable(run)) return "cannot read " + run.unreadableFile + ": " + unreadableText(run);
    if (run.end != RunEnd::logEnded) return "stopped: " + run.endMessage;
    if (run.originalEnded && run.quantizedEnded) return "both logs ended";
    if (run.originalEnded) return "original ended first; quantized had " + blocksLeftText(run);
    return "quantized ended first; original had " + blocksLeftText(run);
}

const char* endKind(const RunSummary& run) {
    if (unreadable(run)) return "unreadable";
    if (run.end != RunEnd::logEnded) return "stopped";
    if (run.originalEnded && run.quantizedEnded) return "both_ended";
    return run.originalEnded ? "original_ended" : "quantized_ended";
}

std::vector<Diagnostic> originalDiagnostics(const std::vector<RunSummary>& runs) {
    std::vector<Diagnostic> out;
    if (runs.empty()) return out;
    const std::string& original = runs[0].original;
    for (const RunSummary& run : runs) {
        if (unreadable(run) && run.unreadableFile == original) {
            out.push_back(said("unreadable", original, "cannot read " + original + ": " + unreadableText(run)));
            return out;
        }
    }
    long long carriageReturnLine = 0;
    long long unterminatedLine = 0;
    for (const RunSummary& run : runs) {
        long long line = run.originalCarriageReturnLine;
        if (line > 0 && (carriageReturnLine == 0 || line < carriageReturnLine)) carriageReturnLine = line;
        if (run.originalUnterminatedLine > 0) unterminatedLine = run.originalUnterminatedLine;
    }
    if (carriageReturnLine > 0) carriageReturns(out, original, original, carriageReturnLine);
    if (unterminatedLine > 0) unterminated(out, original, unterminatedLine);
    return out;
}

std::vector<Diagnostic> runDiagnostics(const RunSummary& run, const StudyOptions& options) {
    std::vector<Diagnostic> out;
    const std::string& name = run.name;
    const std::string& original = run.original;
    const std::string& quantized = run.quantized;
    if (unreadable(run)) {
        if (run.unreadableFile != original) {
            out.push_back(said("unreadable", run.unreadableFile,
                               "cannot read " + run.unreadableFile + ": " + unreadableText(run)));
        }
        return out;
    }
    if (run.tableWriteFailed) {
        out.push_back(said("rows_lost", quantized,
                           name + ": cannot write its rows of the table or the cells: " + reasonOf(run.tableWriteError)));
    }
    if (run.end != RunEnd::logEnded) {
        out.push_back(said("stopped", quantized, name + ": the comparison stopped: " + run.endMessage));
    }
    if (run.quantizedCarriageReturnLine > 0) carriageReturns(out, name, quantized, run.quantizedCarriageReturnLine);
    if (run.quantizedUnterminatedLine > 0) unterminated(out, quantized, run.quantizedUnterminatedLine);
    const PairingCounts& counts = run.counts;
    bool pairingSaid = false;
    if (run.blocksPaired == 0 && run.end == RunEnd::logEnded && !run.firstOriginalLabel.empty()) {
        out.push_back(said("no_block_paired", quantized,
                           name + ": no block paired with " + original + " (first labels '" +
                               shownLabel(run.firstOriginalLabel) + "' and '" + shownLabel(run.firstQuantizedLabel) +
                               "'): blocks pair only when their labels are spelled alike, byte for byte"));
        pairingSaid = true;
    }
    if (counts.labelsOutOfNumericOrder) {
        out.push_back(said("labels_out_of_numeric_order", run.skippedWasOriginal ? original : quantized,
                           name + ": labels pair in byte order, not as numbers: block '" +
                               shownLabel(run.skippedLabel) + "' of " + (run.skippedWasOriginal ? original : quantized) +
                               " was skipped as if before '" + shownLabel(run.otherLabel) +
                               "'; pad labels to one width in both logs (see gridcmp-study(1))"));
        pairingSaid = true;
    }
    if (!pairingSaid && counts.unpairedOriginal + counts.unpairedQuantized > 0) {
        out.push_back(said("unpaired_blocks", quantized,
                           name + ": " + std::to_string(counts.unpairedQuantized) + " of its blocks and " +
                               std::to_string(counts.unpairedOriginal) + " of " + original +
                               " found no partner with the same label, and were skipped",
                           counts.unpairedOriginal + counts.unpairedQuantized));
    }
    if (run.end == RunEnd::logEnded && run.blocksLeft > 0) {
        const std::string& first = run.originalEnded ? original : quantized;
        const std::string& other = run.originalEnded ? quantized : original;
        out.push_back(said("log_ended_first", first,
                           name + ": " + first + " ended first; " + other + " had " + blocksLeftText(run) +
                               ", not compared (is " + first + " cut short?)",
                           run.blocksLeft));
    }
    if (counts.widerOriginalRows > 0) {
        out.push_back(said("wider_original_rows", original,
                           name + ": " + std::to_string(counts.widerOriginalRows) + " rows of " + original +
                               " have more values than the quantized rows (first at line " +
                               std::to_string(counts.firstWiderOriginalLine) + "); the surplus values were not compared",
                           counts.widerOriginalRows, counts.firstWiderOriginalLine));
    }
    if (counts.longerQuantizedBlocks > 0) {
        out.push_back(said("longer_quantized_blocks", quantized,
                           name + ": " + std::to_string(counts.longerQuantizedBlocks) +
                               " of its blocks have more rows than the original's (first surplus row at line " +
                               std::to_string(counts.firstLongerQuantizedLine) + "); the surplus rows were not compared",
                           counts.longerQuantizedBlocks, counts.firstLongerQuantizedLine));
    }
    if (counts.raggedBlocks > 0) {
        out.push_back(said("ragged_blocks", quantized,
                           name + ": " + std::to_string(counts.raggedBlocks) +
                               " of its blocks have rows of different widths (first at line " +
                               std::to_string(counts.firstRaggedLine) +
                               "): gridcmp's report divides their sums by columns x rows, the study by the cells compared",
                           counts.raggedBlocks, counts.firstRaggedLine));
    }
    if (run.blocksPaired > 0 && !compared(run)) {
        out.push_back(said("no_cell_compared", quantized,
                           name + ": " + std::to_string(run.blocksPaired) +
                               " blocks paired, but not one cell was compared: their rows hold no values"));
    }
    if (run.nonfiniteBlocks > 0) {
        out.push_back(said("nonfinite_blocks", quantized,
                           name + ": " + std::to_string(run.nonfiniteBlocks) +
                               (run.nonfiniteBlocks == 1 ? " block has" : " blocks have") +
                               " a nan or inf mean (first '" + shownLabel(run.firstNonfiniteLabel) + "', last '" +
                               shownLabel(run.lastNonfiniteLabel) +
                               "'): quantized values of 0, or a run that turned nan or inf",
                           run.nonfiniteBlocks));
    }
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        if (!run.gates[i].failed) continue;
        out.push_back(said("gate_failed", quantized, gateText(run, options.gates[i], run.gates[i]), 0, 0, false));
    }
    return out;
}

std::string gateText(const RunSummary& run, const Gate& gate, const GateOutcome& outcome) {
    std::string text = run.name + ": " + gate.figure + " " + number(outcome.value, 6) + " fails " +
                       (gate.text.compare(0, 2, "--") == 0 ? gate.text : "--fail-if '" + gate.text + "'");
    if (outcome.firstBlockOver.found) {
        text += "; first block over the limit: '" + shownLabel(outcome.firstBlockOver.label) + "' (" +
                number(outcome.firstBlockOver.value, 6) + ")";
    } else if (!compared(run)) {
        text += "; no cell was compared";
    } else if (hasBlockFigure(gate.figure.c_str())) {
        text += "; no single block crossed it";
    }
    return text;
}

void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options) {
    std::vector<std::vector<std::string>> lines = {{"run", "paired", "unpaired", "mean |1-s/q|", "mean |s-q|", "rmse",
                                                    "correlation", "worst block (rmse)", "nan/inf", "end"}};
    for (const RunSummary& run : runs) lines.push_back(summaryCells(run));
    const std::size_t columns = lines[0].size();
    const bool rightAligned[] = {false, true, true, true, true, true, true, false, true, false};
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
    for (const RunSummary& run : runs) {
        for (std::size_t i = 0; i < options.gates.size(); ++i) {
            if (run.gates[i].failed) std::fprintf(out, "%s\n", gateText(run, options.gates[i], run.gates[i]).c_str());
        }
    }
}

void writeDiagnostics(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options) {
    auto say = [out](const Diagnostic& diagnostic) {
        std::fprintf(out, "gridcmp-study: %s\n", diagnostic.text.c_str());
    };
    for (const Diagnostic& diagnostic : originalDiagnostics(runs)) say(diagnostic);
    for (const RunSummary& run : runs) {
        for (const Diagnostic& diagnostic : runDiagnostics(run, options)) say(diagnostic);
    }
}

int studyExitStatus(const std::vector<RunSummary>& runs, const StudyOptions& options) {
    auto any = [&runs](auto condition) { return std::any_of(runs.begin(), runs.end(), condition); };
    if (any([](const RunSummary& run) { return unreadable(run) || run.tableWriteFailed; })) return 2;
    auto failsStrict = [](const std::vector<Diagnostic>& diagnostics) {
        return std::any_of(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& d) { return d.failsStrict; });
    };
    if (any([&](const RunSummary& run) {
            return run.end != RunEnd::logEnded || run.blocksPaired == 0 || !compared(run) ||
                   (options.strict && failsStrict(runDiagnostics(run, options)));
        })) {
        return 1;
    }
    if (options.strict && failsStrict(originalDiagnostics(runs))) return 1;
    return any([](const RunSummary& run) {
               return std::any_of(run.gates.begin(), run.gates.end(), [](const GateOutcome& g) { return g.failed; });
           })
               ? 3
               : 0;
}

}  // namespace gridcmp
