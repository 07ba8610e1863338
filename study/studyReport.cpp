#include "study/studyReport.h"

#include <algorithm>
#include <cmath>
#include <string>

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

std::vector<std::string> summaryCells(const RunSummary& run, const RunVerdict& verdict) {
    bool compared = run.cellsCompared > 0;
    return {escapedText(run.name.c_str()),
            std::to_string(run.blocksPaired),
            std::to_string(run.counts.unpairedOriginal) + "/" + std::to_string(run.counts.unpairedQuantized),
            compared ? number(run.relativeMean, 3) : "-",
            compared ? number(run.absoluteMean, 3) : "-",
            compared ? number(runFigure(run, "rmse"), 3) : "-",
            compared ? fixed(runFigure(run, "correlation")) : "-",
            run.worstRmse.found ? shownLabel(run.worstRmse.label) : "-",
            std::to_string(run.nonfiniteBlocks),
            endText(run),
            verdictText(verdict)};
}

// The run's bit figures in one line: "fp16: information_bits 3.828,
// keepbits 11 (99 %), quantized_bits 10, bits_margin -1 (first block below 0:
// '0000.50'), information_kept 2.46".
std::string bitsText(const RunSummary& run, const StudyOptions& options) {
    const BitFigures& bits = run.bits;
    char text[200];
    std::snprintf(text, sizeof text, ": information_bits %.4g, keepbits %d (%g %%), quantized_bits %d, bits_margin %d",
                  bits.informationBits, bits.keepbits, 100 * options.statistics.informationLevel, bits.quantizedBits,
                  bits.bitsMargin);
    std::string line = escapedText(run.name.c_str()) + text;
    if (!run.firstBitsShortLabel.empty()) line += " (first block below 0: '" + shownLabel(run.firstBitsShortLabel) + "')";
    std::snprintf(text, sizeof text, ", information_kept %.3g", bits.informationKept);
    return line + (std::isnan(bits.informationKept) ? ", information_kept nan" : text);
}

}  // namespace

void writeSummary(std::FILE* out, const std::vector<RunSummary>& runs, const StudyVerdict& verdict,
                  const StudyOptions& options) {
    std::vector<std::vector<std::string>> lines = {{"run", "paired", "unpaired", "mean |1-s/q|", "mean |s-q|", "rmse",
                                                    "correlation", "worst block (rmse)", "nan/inf", "end",
                                                    "verdict"}};
    for (std::size_t i = 0; i < runs.size(); ++i) lines.push_back(summaryCells(runs[i], verdict.runs[i]));
    const std::size_t columns = lines[0].size();
    const bool rightAligned[] = {false, true, true, true, true, true, true, false, true, false, false};
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
        std::string name = escapedText(run.name.c_str());
        std::string original = nonfiniteText(run, firstNonfiniteOriginal(run));
        if (!original.empty()) std::fprintf(out, "%s: original %s\n", name.c_str(), original.c_str());
        std::string quantized = nonfiniteText(run, firstNonfiniteQuantized(run));
        if (!quantized.empty()) std::fprintf(out, "%s: %s\n", name.c_str(), quantized.c_str());
        if (options.statistics.bits && run.blocksPaired > 0) std::fprintf(out, "%s\n", bitsText(run, options).c_str());
        for (std::size_t i = 0; i < options.gates.size(); ++i) {
            if (run.gates[i].failed) std::fprintf(out, "%s\n", gateText(run, options.gates[i], run.gates[i]).c_str());
        }
    }
}

void writeDiagnostics(std::FILE* out, const StudyVerdict& verdict) {
    auto say = [out](const Diagnostic& diagnostic) {
        std::fprintf(out, "gridcmp-study: %s\n", diagnostic.text.c_str());
    };
    for (const Diagnostic& diagnostic : verdict.original) say(diagnostic);
    for (const RunVerdict& run : verdict.runs) {
        for (const Diagnostic& diagnostic : run.diagnostics) say(diagnostic);
    }
}

}  // namespace gridcmp
