#include "study/diagnostics.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "study/escapedText.h"
#include "study/runFigures.h"

namespace gridcmp {

namespace {

std::string number(double value) {
    if (std::isnan(value)) return "nan";
    char text[40];
    std::snprintf(text, sizeof text, "%.6e", value);
    return text;
}

bool unreadable(const RunSummary& run) { return !run.unreadableFile.empty(); }

bool compared(const RunSummary& run) { return run.cellsCompared > 0; }

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

// Whether the user gates on one of `figures`: that gate then decides what
// the default test of what they count would.
bool gated(const StudyOptions& options, std::initializer_list<const char*> figures) {
    for (const Gate& gate : options.gates) {
        for (const char* figure : figures) {
            if (gate.figure == figure) return true;
        }
    }
    return false;
}

// Whether gates replace the tests of what the pairing passed over in each
// log: each of the figures that count it. paired_fraction counts the
// original's blocks unpaired, and left where the quantized log ended first.
bool unpairedGated(const StudyOptions& options, bool original) {
    return original ? gated(options, {"paired_fraction", "blocks_unpaired_original"})
                    : gated(options, {"blocks_unpaired_quantized"});
}
bool leftGated(const StudyOptions& options, bool inOriginal) {
    return inOriginal ? gated(options, {"paired_fraction", "blocks_left"}) : gated(options, {"blocks_left"});
}

// A name as a message shows it: on one line.
std::string shown(const std::string& name) { return escapedText(name.c_str()); }

// A diagnostic that fails the run under --strict only.
Diagnostic said(const char* kind, const std::string& file, const std::string& text, long long count = 0,
                long long line = 0) {
    return Diagnostic{kind, file, count, line, text, true, 0, ""};
}

// ... one that fails it as it stands, with `verdict`.
Diagnostic failing(Diagnostic diagnostic, int exitStatus, const std::string& verdict) {
    diagnostic.exitStatus = exitStatus;
    diagnostic.verdict = verdict;
    return diagnostic;
}

// ... one that fails it under no option.
Diagnostic note(Diagnostic diagnostic) {
    diagnostic.failsStrict = false;
    return diagnostic;
}

// Something passed over: the run fails on it unless --allow-partial accepts
// it, or a gate on what it counts replaces the test (`replaced`: then it
// fails under --strict only).
Diagnostic passedOver(Diagnostic diagnostic, const StudyOptions& options, bool replaced = false) {
    if (options.allowPartial) return note(diagnostic);
    return replaced ? diagnostic : failing(diagnostic, 1, "partial");
}

Diagnostic carriageReturns(const std::string& who, const std::string& file, long long line) {
    return said("carriage_returns", file,
                who + ": carriage-return line ends (from line " + std::to_string(line) +
                    "): its blank lines do not end blocks; convert it first: tr -d '\\r' <" + file + " >" + file +
                    ".unix",
                0, line);
}

Diagnostic unterminated(const std::string& file, long long line, const StudyOptions& options) {
    return passedOver(said("unterminated_last_line", file,
                           file + " ends without a newline at line " + std::to_string(line) + " (cut short?)", 0, line),
                      options);
}

// A log that ends after a block's time line, before a row of it.
Diagnostic cutBlock(const std::string& file, long long line, const std::string& label, const StudyOptions& options) {
    return passedOver(said("cut_block", file,
                           file + " ends in block '" + shownLabel(label) + "' (time line at line " +
                               std::to_string(line) + ") before a row of it was compared (cut short?)",
                           1, line),
                      options);
}

// With --strict, every diagnostic that fails strictly fails the run.
std::vector<Diagnostic> strictly(std::vector<Diagnostic> diagnostics, const StudyOptions& options) {
    for (Diagnostic& diagnostic : diagnostics) {
        if (options.strict && diagnostic.failsStrict && diagnostic.exitStatus == 0) {
            diagnostic.exitStatus = 1;
            diagnostic.verdict = std::string("strict: ") + diagnostic.kind;
        }
    }
    return diagnostics;
}

// nan, or inf of either sign.
const char* nonfiniteWord(double value) { return std::isnan(value) ? "nan" : "inf"; }

// The first cell of one kind (`count` and `first` of StatisticsPart): in the
// completed blocks, else in the block a log ended inside.
FirstNonfinite firstOfKind(const RunSummary& run, long long StatisticsPart::*count, CellAt StatisticsPart::*first,
                           const std::string& completedLabel, double CellAt::*value) {
    for (bool unfinished : {false, true}) {
        const StatisticsPart& part = unfinished ? run.unfinished : run.statistics;
        if (part.*count == 0) continue;
        const CellAt& cell = part.*first;
        return FirstNonfinite{&cell, cell.*value, unfinished ? run.unfinishedLabel : completedLabel, unfinished};
    }
    return FirstNonfinite();
}


// "original nan from LABEL": why every run fails for the original.
std::string originalVerdict(const FirstNonfinite& first) {
    return std::string("original ") + nonfiniteWord(first.value) + " from " + shownLabel(first.label);
}

// The first original value of nan or inf that any run met, by its line in
// the original log; its cell nullptr when none did.
FirstNonfinite earliestNonfiniteOriginal(const std::vector<RunSummary>& runs) {
    FirstNonfinite earliest;
    for (const RunSummary& run : runs) {
        FirstNonfinite first = firstNonfiniteOriginal(run);
        if (first.cell && (!earliest.cell || first.cell->line < earliest.cell->line)) earliest = first;
    }
    return earliest;
}

// A comparison stopped on a fault of the original log (a line too long, a
// row too wide, a time line without a label): the same for every run.
bool stoppedOnOriginal(const RunSummary& run) { return !unreadable(run) && run.end == RunEnd::originalFault; }

std::vector<Diagnostic> originalDiagnostics(const std::vector<RunSummary>& runs, const StudyOptions& options) {
    std::vector<Diagnostic> out;
    if (runs.empty()) return out;
    const std::string& original = runs[0].original;
    for (const RunSummary& run : runs) {
        if (unreadable(run) && run.unreadableFile == original) {
            out.push_back(failing(said("unreadable", original, "cannot read " + original + ": " + unreadableText(run)),
                                  2, "unreadable"));
            return out;
        }
    }
    for (const RunSummary& run : runs) {
        if (!stoppedOnOriginal(run)) continue;
        out.push_back(failing(said("stopped", original, original + ": the comparisons stop: " + run.endMessage), 1,
                              "stopped"));
        break;
    }
    FirstNonfinite first = earliestNonfiniteOriginal(runs);
    if (first.cell) {
        const CellAt& cell = *first.cell;
        long long cells = 0;
        for (const RunSummary& run : runs) {
            cells = std::max(cells, run.statistics.nonfiniteOriginal + run.unfinished.nonfiniteOriginal);
        }
        bool replaced = gated(options, {"nonfinite_original"});
        std::string where = std::string(nonfiniteWord(first.value)) + " from block '" + shownLabel(first.label) +
                            "' (row " + std::to_string(cell.row) + ", column " + std::to_string(cell.column) +
                            ", line " + std::to_string(cell.line) + ")";
        Diagnostic broken = said("nonfinite_original", original,
                                 original + ": the original run is " + where + "; a run compared up to " +
                                     std::to_string(cells) + " of its nan or inf values: " +
                                     (replaced ? "the gates on nonfinite_original decide"
                                               : "every run fails for it, whatever its quantized values"),
                                 cells, cell.line);
        out.push_back(replaced ? broken : failing(broken, 1, originalVerdict(first)));
    }
    long long carriageReturnLine = 0;
    long long unterminatedLine = 0;
    const RunSummary* cut = nullptr;
    for (const RunSummary& run : runs) {
        long long line = run.originalCarriageReturnLine;
        if (line > 0 && (carriageReturnLine == 0 || line < carriageReturnLine)) carriageReturnLine = line;
        if (run.originalUnterminatedLine > 0) unterminatedLine = run.originalUnterminatedLine;
        if (run.originalCutBlockLine > 0) cut = &run;
    }
    if (carriageReturnLine > 0) out.push_back(carriageReturns(original, original, carriageReturnLine));
    if (unterminatedLine > 0) out.push_back(unterminated(original, unterminatedLine, options));
    if (cut) out.push_back(cutBlock(original, cut->originalCutBlockLine, cut->originalCutBlockLabel, options));
    // Neighbours written with few digits are often exactly equal, and then
    // share every bit below what the digits resolve.
    bool paired = false;
    bool fullPrecision = false;
    for (const RunSummary& run : runs) {
        paired |= run.blocksPaired > 0;
        fullPrecision |= run.originalAtFullPrecision;
    }
    if (options.statistics.bits && paired && !fullPrecision) {
        out.push_back(note(said("original_digits", original,
                                original + ": no value has 17 significant digits: its bits below those the "
                                           "digits resolve describe the rendering, not the model; write the "
                                           "original at full precision (%.17g) for information_bits and keepbits")));
    }
    return strictly(out, options);
}

// Whether the run's sums of |1 - s/q| are not finite for its quantized
// values of 0 alone: it has some, and every block without one kept those
// sums finite.
bool notFiniteForZeros(const RunSummary& run) {
    return run.statistics.zeroQuantized > 0 && run.relativeOverflowBlocks == 0;
}

// The run's figures that a sum past the largest double made inf or nan,
// though every cell compared is finite: "rmse, bias"; empty if none.
std::string overflowedFigures(const RunSummary& run) {
    std::string names;
    if (!compared(run) || run.statistics.nonfiniteCells > 0) return names;
    // Weighted figures are nan where rows had no weight (said apart), or
    // where every row weighs 0.
    bool weighted = run.statistics.isWeighted;
    if (weighted && run.unweighedBlocks > 0) return names;
    bool weightless = weighted && run.statistics.weighted.weight == 0.0;
    for (const char* figure : {"relative_mean", "absolute_mean", "bias", "rmse", "original_mean", "quantized_mean",
                               "absolute_mean_weighted", "relative_mean_weighted"}) {
        if (!weighted && std::strstr(figure, "_weighted")) continue;
        if (weightless && isWeightedFigure(figure)) continue;
        bool zeros = isOfRelativeTerms(figure) && notFiniteForZeros(run);
        if (!zeros && !std::isfinite(runFigure(run, figure))) names += (names.empty() ? "" : ", ") + std::string(figure);
    }
    const Moments& moments = weighted ? run.statistics.weighted.moments : run.statistics.moments;
    if (!std::isfinite(moments.originalSquares) || !std::isfinite(moments.quantizedSquares) ||
        !std::isfinite(moments.coSquares)) {
        names += (names.empty() ? "" : ", ") + std::string("correlation");
    }
    return names;
}

std::vector<Diagnostic> runDiagnostics(const RunSummary& run, const StudyOptions& options) {
    std::vector<Diagnostic> out;
    const std::string name = shown(run.name);
    const std::string& original = run.original;
    const std::string& quantized = run.quantized;
    const StatisticsPart& statistics = run.statistics;
    if (unreadable(run)) {
        if (run.unreadableFile != original) {
            out.push_back(failing(said("unreadable", run.unreadableFile,
                                       "cannot read " + run.unreadableFile + ": " + unreadableText(run)),
                                  2, "unreadable"));
        }
        return out;
    }
    if (!run.rowsLost.empty()) {
        out.push_back(failing(said("rows_lost", quantized,
                                   name + ": cannot write its rows of the table or the cells: " + run.rowsLost),
                              2, "rows lost"));
    }
    if (run.end != RunEnd::logEnded && !stoppedOnOriginal(run)) {  // the original's fault is said once
        out.push_back(failing(said("stopped", quantized, name + ": the comparison stopped: " + run.endMessage), 1,
                              "stopped"));
    }
    bool noBlockPaired = run.blocksPaired == 0 && run.end == RunEnd::logEnded;
    if (noBlockPaired) {
        // Equal first labels that never paired: the first block never ended.
        std::string why = run.firstOriginalLabel != run.firstQuantizedLabel
                              ? "'): blocks pair only when their labels are spelled alike, byte for byte"
                          : run.originalCutBlockLine || run.quantizedCutBlockLine
                              ? "'): a log ends inside its first block (cut short?)"
                              : "'): its first block never ends before a log does (no blank line or '---' after its "
                                "rows?)";
        out.push_back(failing(said("no_block_paired", quantized,
                                   name + ": no block paired with " + original + " (first labels '" +
                                       shownLabel(run.firstOriginalLabel) + "' and '" +
                                       shownLabel(run.firstQuantizedLabel) + why),
                              1, "no block paired"));
    }
    if (run.blocksPaired > 0 && !compared(run)) {
        out.push_back(failing(said("no_cell_compared", quantized,
                                   name + ": " + std::to_string(run.blocksPaired) +
                                       " blocks paired, but not one cell was compared: their rows hold no values"),
                              1, "no cell compared"));
    }
    FirstNonfinite first = firstNonfiniteQuantized(run);
    if (first.cell) {
        const CellAt& cell = *first.cell;
        bool unfinished = run.unfinished.nonfiniteQuantized > 0;  // the block a log ended inside, too
        long long blocks = run.nonfiniteBlocks + unfinished;
        Diagnostic broken = said("nonfinite_blocks", quantized,
                                 name + ": the run turned " + nonfiniteText(run, first) + ": " +
                                     std::to_string(statistics.nonfiniteQuantized + run.unfinished.nonfiniteQuantized) +
                                     " of its values in " + std::to_string(blocks) +
                                     (blocks == 1 ? " block" : " blocks") + " (the last '" +
                                     shownLabel(unfinished ? run.unfinishedLabel : run.lastNonfiniteLabel) +
                                     "') are nan or inf where the original's are finite",
                                 blocks, cell.quantizedLine);
        bool replaced = gated(options, {"nonfinite_quantized", "nonfinite_blocks"});
        out.push_back(replaced ? broken
                               : failing(broken, 1, std::string(nonfiniteWord(first.value)) + " from " +
                                                        shownLabel(first.label)));
    }
    std::string overflowed = overflowedFigures(run);
    if (!overflowed.empty()) {
        out.push_back(failing(said("overflow", quantized,
                                   name + ": " + overflowed +
                                       " not finite while every compared cell is: a sum passed the largest double"),
                              1, "overflow"));
    }
    if (run.unweighedBlocks > 0) {
        std::size_t weights = options.statistics.weights.values.size();
        std::string why = options.statistics.weights.kind == RowWeights::Kind::perRow
                              ? " more rows than the " + std::to_string(weights) + (weights == 1 ? " weight of " : " weights of ") +
                                    options.rowWeightsFile
                              : " more than " + std::to_string(kMaxWeighedRows) + " rows, too many to weigh";
        out.push_back(failing(said("rows_beyond_weights", quantized,
                                   name + ": " + std::to_string(run.unweighedBlocks) +
                                       (run.unweighedBlocks == 1 ? " block has" : " blocks have") + why +
                                       " (the first '" + shownLabel(run.firstUnweighedLabel) + "', " +
                                       std::to_string(run.firstUnweighedRows) +
                                       " rows): the weighted figures are nan",
                                   run.unweighedBlocks),
                              1, "rows beyond weights"));
    }
    if (compared(run) && run.statistics.isWeighted && run.unweighedBlocks == 0 &&
        run.statistics.weighted.weight == 0.0) {
        out.push_back(failing(said("no_weight", quantized,
                                   name + ": every row it compared weighs 0 (" +
                                       (options.statistics.weights.kind == RowWeights::Kind::perRow
                                            ? "by the weights of " + options.rowWeightsFile
                                            : std::string("by --latitudes")) +
                                       "): the weighted figures are nan"),
                              1, "no weight"));
    }
    if (run.quantizedCarriageReturnLine > 0) out.push_back(carriageReturns(name, quantized, run.quantizedCarriageReturnLine));
    if (run.quantizedUnterminatedLine > 0) out.push_back(unterminated(quantized, run.quantizedUnterminatedLine, options));
    if (run.quantizedCutBlockLine > 0) {
        out.push_back(cutBlock(quantized, run.quantizedCutBlockLine, run.quantizedCutBlockLabel, options));
    }
    const PairingCounts& counts = run.counts;
    // A gate replaces the test only where it counts every block passed over.
    bool unpairedReplaced = (counts.unpairedOriginal == 0 || unpairedGated(options, true)) &&
                            (counts.unpairedQuantized == 0 || unpairedGated(options, false));
    if (counts.labelsOutOfNumericOrder) {
        out.push_back(passedOver(
            said("labels_out_of_numeric_order", run.skippedWasOriginal ? original : quantized,
                 name + ": labels pair in byte order, not as numbers: block '" + shownLabel(run.skippedLabel) + "' of " +
                     (run.skippedWasOriginal ? original : quantized) + " was skipped as if before '" +
                     shownLabel(run.otherLabel) + "'; pad labels to one width in both logs (see gridcmp-study(1))"),
            options, unpairedReplaced));
    }
    if (!noBlockPaired && !counts.labelsOutOfNumericOrder && counts.unpairedOriginal + counts.unpairedQuantized > 0) {
        out.push_back(passedOver(said("unpaired_blocks", quantized,
                                      name + ": " + std::to_string(counts.unpairedQuantized) + " of its blocks and " +
                                          std::to_string(counts.unpairedOriginal) + " of " + original +
                                          " found no partner with the same label, and were skipped",
                                      counts.unpairedOriginal + counts.unpairedQuantized),
                                 options, unpairedReplaced));
    }
    if (run.end == RunEnd::logEnded && run.blocksLeft > 0) {
        const std::string& first = run.originalEnded ? original : quantized;
        const std::string& other = run.originalEnded ? quantized : original;
        out.push_back(passedOver(said("log_ended_first", first,
                                      name + ": " + first + " ended first; " + other + " had " + blocksLeftText(run) +
                                          ", not compared" +
                                          (run.unfinished.cells > 0 ? ", the first of them only in part" : "") +
                                          " (is " + first + " cut short?)",
                                      run.blocksLeft),
                                 options, leftGated(options, !run.originalEnded)));
    }
    if (counts.timeLinesReadAsRows > 0) {
        out.push_back(passedOver(said("time_lines_read_as_rows", original,
                                      name + ": " + std::to_string(counts.timeLinesReadAsRows) +
                                          (counts.timeLinesReadAsRows == 1 ? " time line was" : " time lines were") +
                                          " compared as rows of the block before (first at line " +
                                          std::to_string(counts.firstTimeLineReadAsRow) + " of " + original +
                                          "): the blocks opened there were passed over (no blank line or '---' ends "
                                          "a block there; carriage-return line ends?)",
                                      counts.timeLinesReadAsRows, counts.firstTimeLineReadAsRow),
                                 options));
    }
    if (counts.widerOriginalRows > 0) {
        out.push_back(passedOver(said("wider_original_rows", original,
                                      name + ": " + std::to_string(counts.widerOriginalRows) + " rows of " + original +
                                          " have more values than the quantized rows (first at line " +
                                          std::to_string(counts.firstWiderOriginalLine) +
                                          "); the surplus values were not compared",
                                      counts.widerOriginalRows, counts.firstWiderOriginalLine),
                                 options));
    }
    if (counts.longerQuantizedBlocks > 0) {
        out.push_back(passedOver(said("longer_quantized_blocks", quantized,
                                      name + ": " + std::to_string(counts.longerQuantizedBlocks) +
                                          " of its blocks have more rows than the original's (first surplus row at "
                                          "line " +
                                          std::to_string(counts.firstLongerQuantizedLine) +
                                          "); the surplus rows were not compared",
                                      counts.longerQuantizedBlocks, counts.firstLongerQuantizedLine),
                                 options));
    }
    if (counts.raggedBlocks > 0) {
        Diagnostic ragged = said("ragged_blocks", quantized,
                                 name + ": " + std::to_string(counts.raggedBlocks) +
                                     " of its blocks have rows of different widths (first at line " +
                                     std::to_string(counts.firstRaggedLine) +
                                     "): gridcmp's report divides their sums by columns x rows, the study by the "
                                     "cells compared",
                                 counts.raggedBlocks, counts.firstRaggedLine);
        out.push_back(ragged);
    }
    if (statistics.zeroQuantized > 0) {
        out.push_back(note(said("zero_quantized", quantized,
                                name + ": " + std::to_string(statistics.zeroQuantized) +
                                    (statistics.zeroQuantized == 1 ? " cell of the quantized run is"
                                                                   : " cells of the quantized run are") +
                                    " 0 (the first in block '" +
                                    shownLabel(run.firstZeroLabel) +
                                    "'): |1-s/q| is not finite there; rmse and nrmse still hold",
                                statistics.zeroQuantized)));
    }
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        if (!run.gates[i].failed) continue;
        const Gate& gate = options.gates[i];
        out.push_back(failing(note(said("gate_failed", quantized, gateText(run, gate, run.gates[i]))), 3,
                              "gate " + gate.figure));
    }
    return strictly(out, options);
}

void addReasons(std::vector<Reason>& reasons, const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.exitStatus == 0) continue;
        bool known = std::any_of(reasons.begin(), reasons.end(),
                                 [&](const Reason& reason) { return reason.verdict == diagnostic.verdict; });
        if (!known) reasons.push_back(Reason{diagnostic.kind, diagnostic.verdict, diagnostic.exitStatus});
    }
}

// 2 comes before 1, and 1 before 3.
int statusRank(int exitStatus) { return exitStatus == 2 ? 3 : exitStatus == 1 ? 2 : exitStatus == 3 ? 1 : 0; }

// The order of a run's reasons: by their exit status; within 1, what went
// wrong before what was passed over, and that before what only --strict
// fails.
int precedence(const Reason& reason) {
    int rank = 3 * statusRank(reason.exitStatus);
    if (reason.exitStatus != 1) return rank;
    if (reason.verdict == "partial") return rank - 1;
    return reason.verdict.compare(0, 7, "strict:") == 0 ? rank - 2 : rank;
}

}  // namespace

std::string shownLabel(const std::string& label) {
    return escapedText(label.substr(0, std::min(label.size(), kShownLabelChars)).c_str());
}

StudyVerdict judgeStudy(const std::vector<RunSummary>& runs, const StudyOptions& options) {
    StudyVerdict verdict;
    verdict.original = originalDiagnostics(runs, options);
    verdict.exitStatus = 0;
    for (const RunSummary& run : runs) {
        RunVerdict judged;
        judged.diagnostics = runDiagnostics(run, options);
        // What fails for the original fails every run; a run that met its
        // nan or inf itself names the first block where it did.
        addReasons(judged.reasons, verdict.original);
        FirstNonfinite met = firstNonfiniteOriginal(run);
        for (Reason& reason : judged.reasons) {
            if (met.cell && std::strcmp(reason.kind, "nonfinite_original") == 0) reason.verdict = originalVerdict(met);
        }
        addReasons(judged.reasons, judged.diagnostics);
        // The first reason is the one the exit status tells.
        std::stable_sort(judged.reasons.begin(), judged.reasons.end(),
                         [](const Reason& a, const Reason& b) { return precedence(a) > precedence(b); });
        for (const Reason& reason : judged.reasons) {
            if (statusRank(reason.exitStatus) > statusRank(verdict.exitStatus)) verdict.exitStatus = reason.exitStatus;
        }
        verdict.runs.push_back(judged);
    }
    return verdict;
}

std::string verdictText(const RunVerdict& verdict) {
    return verdict.reasons.empty() ? "pass" : verdict.reasons[0].verdict;
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

FirstNonfinite firstNonfiniteQuantized(const RunSummary& run) {
    return firstOfKind(run, &StatisticsPart::nonfiniteQuantized, &StatisticsPart::firstNonfiniteQuantized,
                       run.firstNonfiniteQuantizedLabel, &CellAt::quantized);
}

FirstNonfinite firstNonfiniteOriginal(const RunSummary& run) {
    return firstOfKind(run, &StatisticsPart::nonfiniteOriginal, &StatisticsPart::firstNonfiniteOriginal,
                       run.firstNonfiniteOriginalLabel, &CellAt::original);
}

std::string nonfiniteText(const RunSummary& run, const FirstNonfinite& first) {
    if (!first.cell) return "";
    const CellAt& cell = *first.cell;
    return std::string(nonfiniteWord(first.value)) + " from block '" + shownLabel(first.label) + "' (row " +
           std::to_string(cell.row) + ", column " + std::to_string(cell.column) + "; line " +
           std::to_string(cell.line) + " of " + run.original + ", line " + std::to_string(cell.quantizedLine) + " of " +
           run.quantized + (first.inUnfinishedBlock ? "; a block a log ended inside)" : ")");
}

std::string gateText(const RunSummary& run, const Gate& gate, const GateOutcome& outcome) {
    std::string text = shown(run.name) + ": " + gate.figure + " " + number(outcome.value) + " fails " +
                       (gate.text.compare(0, 2, "--") == 0 ? gate.text : "--fail-if '" + gate.text + "'");
    if (outcome.firstBlockOver.found) {
        text += "; first block over the limit: '" + shownLabel(outcome.firstBlockOver.label) + "' (" +
                number(outcome.firstBlockOver.value) + ")";
    } else if (!compared(run)) {
        text += "; no cell was compared";
    } else if (hasBlockFigure(gate.figure.c_str())) {
        text += "; no single block crossed it";
    }
    // Why the figure is not finite, where the quantized run did not make it
    // so (or not alone: the original may have been broken first).
    const StatisticsPart& statistics = run.statistics;
    if (std::isfinite(outcome.value)) return text;
    if (statistics.nonfiniteOriginal > 0) {
        text += "; because the original is not finite from '" + shownLabel(run.firstNonfiniteOriginalLabel) + "'";
        if (statistics.nonfiniteQuantized > 0) {
            text += ", and the run from '" + shownLabel(run.firstNonfiniteQuantizedLabel) + "'";
        }
    } else if (statistics.nonfiniteQuantized > 0) {
        return text;  // the run's own: said by its diagnostic
    } else if (gate.figure == "max_relative" && statistics.zeroQuantized == statistics.cells) {
        text += "; nan because every quantized value compared is 0 (no |1-s/q| to take the largest of)";
    } else if (isOfRelativeTerms(gate.figure.c_str()) && statistics.zeroQuantized > 0) {
        text += "; not finite because " + std::to_string(statistics.zeroQuantized) +
                " quantized values are 0 (|1-s/q| is inf or nan there)";
        if (!notFiniteForZeros(run)) text += ", and |1-s/q| passed the largest double in a block without one";
    }
    return text;
}

}  // namespace gridcmp
