#include "study/studyJson.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "study/escapedText.h"
#include "study/runFigures.h"

namespace gridcmp {

namespace {

// Writes JSON by hand, keeping track of commas only.
struct JsonWriter {
    std::FILE* out;
    int depth = 0;
    bool first = true;  // nothing yet at this depth

    void separate() {
        if (!first) std::fputc(',', out);
        first = false;
        std::fputc('\n', out);
        for (int i = 0; i < depth; ++i) std::fputs("  ", out);
    }
    void key(const char* name) {
        separate();
        string(name);
        std::fputs(": ", out);
    }
    // Every text as the table writes it (escapedText.h), so that no two
    // read back alike and every byte can be had again; that text holds no
    // quote and no control character, so only its backslashes need JSON's
    // escape.
    void string(const std::string& text) {
        std::fputc('"', out);
        for (char c : escapedText(text.c_str())) {
            if (c == '\\') std::fputc('\\', out);
            std::fputc(c, out);
        }
        std::fputc('"', out);
    }
    // nan is null; an infinity a number too large for any double, which JSON
    // readers take for it (Python's float, pandas) or for the largest double.
    // A whole number gets ".0" ("1.0", "-0.0"), so that readers take every
    // figure for a float, as they do "1e+20": Python's json would read "1"
    // as an int (and "-0" as 0), and pandas would make such a column int64.
    void number(double value) {
        if (std::isnan(value)) {
            null();
        } else if (std::isinf(value)) {
            std::fputs(value > 0 ? "1e999" : "-1e999", out);
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", value);
            std::fputs(text, out);
            if (!std::strpbrk(text, ".e")) std::fputs(".0", out);
        }
    }
    void integer(long long value) { std::fprintf(out, "%lld", value); }
    void boolean(bool value) { std::fputs(value ? "true" : "false", out); }
    void null() { std::fputs("null", out); }
    void open(char bracket) {
        std::fputc(bracket, out);
        ++depth;
        first = true;
    }
    void close(char bracket) {
        --depth;
        if (!first) {
            std::fputc('\n', out);
            for (int i = 0; i < depth; ++i) std::fputs("  ", out);
        }
        std::fputc(bracket, out);
        first = false;
    }
    // A value in an array.
    void item() { separate(); }

    // A key and its value.
    void field(const char* name, const std::string& text) { key(name), string(text); }
    void field(const char* name, const char* text) { key(name), string(text); }
    void field(const char* name, double value) { key(name), number(value); }
    void field(const char* name, long long value) { key(name), integer(value); }
    void field(const char* name, int value) { key(name), integer(value); }
    void field(const char* name, bool value) { key(name), boolean(value); }
};

void writeBlock(JsonWriter& json, const char* key, const NamedBlock& block) {
    json.key(key);
    if (!block.found) return json.null();
    json.open('{');
    json.field("label", block.label);
    json.field("value", block.value);
    json.close('}');
}

void writeCell(JsonWriter& json, const char* key, const CellAt& cell, const std::string& label) {
    json.key(key);
    if (cell.row == 0) return json.null();
    json.open('{');
    json.field("label", label);
    json.field("row", cell.row);
    json.field("column", cell.column);
    json.field("line", cell.line);
    json.field("quantized_line", cell.quantizedLine);
    json.field("original", cell.original);
    json.field("quantized", cell.quantized);
    json.close('}');
}

void writeDiagnostics(JsonWriter& json, const std::vector<Diagnostic>& diagnostics) {
    json.key("diagnostics");
    json.open('[');
    for (const Diagnostic& diagnostic : diagnostics) {
        json.item();
        json.open('{');
        json.field("kind", diagnostic.kind);
        json.field("file", diagnostic.file);
        json.field("count", diagnostic.count);
        json.field("line", diagnostic.line);
        json.field("message", diagnostic.text);
        json.field("fails_strict", diagnostic.failsStrict);
        json.field("exit_status", diagnostic.exitStatus);
        json.close('}');
    }
    json.close(']');
}

void writeRun(JsonWriter& json, const RunSummary& run, const RunVerdict& verdict, const StudyOptions& options) {
    json.open('{');
    json.field("name", run.name);
    json.field("original", run.original);
    json.field("quantized", run.quantized);
    json.field("end", endKind(run));
    json.field("end_text", endText(run));
    for (int i = 0; i < runFigureCount(); ++i) {
        if (!runFigureGiven(runFigureName(i), options)) continue;
        json.key(runFigureName(i));
        double value = runFigure(run, runFigureName(i));
        if (isCountFigure(runFigureName(i)) && !std::isnan(value)) {
            json.integer(static_cast<long long>(value));
        } else {
            json.number(value);
        }
    }
    writeCell(json, "max_absolute_at", run.statistics.largestAbsolute.at, run.largestAbsoluteLabel);
    writeCell(json, "max_relative_at", run.statistics.largestRelative.at, run.largestRelativeLabel);
    for (auto [key, first] : {std::make_pair("nonfinite_quantized_at", firstNonfiniteQuantized(run)),
                              std::make_pair("nonfinite_original_at", firstNonfiniteOriginal(run))}) {
        writeCell(json, key, first.cell ? *first.cell : CellAt(), first.label);  // null where none
    }
    json.key("unfinished_block");
    if (run.unfinished.cells == 0) {
        json.null();
    } else {
        const StatisticsPart& unfinished = run.unfinished;
        json.open('{');
        json.field("label", run.unfinishedLabel);
        json.field("cells_compared", unfinished.cells);
        json.field("zero_quantized", unfinished.zeroQuantized);
        json.field("nonfinite_quantized", unfinished.nonfiniteQuantized);
        json.field("nonfinite_original", unfinished.nonfiniteOriginal);
        json.close('}');
    }
    json.key("worst_blocks");
    json.open('{');
    writeBlock(json, "relative_mean", run.worstRelative);
    writeBlock(json, "absolute_mean", run.worstAbsolute);
    writeBlock(json, "rmse", run.worstRmse);
    json.close('}');
    json.key("nonfinite_blocks_first");
    run.nonfiniteBlocks ? json.string(run.firstNonfiniteLabel) : json.null();
    json.key("nonfinite_blocks_last");
    run.nonfiniteBlocks ? json.string(run.lastNonfiniteLabel) : json.null();
    if (options.statistics.bits) {
        json.key("bit_information");  // the original's, position 0 (the sign) first
        json.open('[');
        for (double information : run.bitInformation) {
            json.item();
            json.number(information);
        }
        json.close(']');
        json.key("bits_margin_negative_first");
        run.firstBitsShortLabel.empty() ? json.null() : json.string(run.firstBitsShortLabel);
    }
    json.key("gates");
    json.open('[');
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        const Gate& gate = options.gates[i];
        const GateOutcome& outcome = run.gates[i];
        json.item();
        json.open('{');
        json.field("gate", gate.text);
        json.field("figure", gate.figure);
        json.field("fails_if", gate.failsAbove ? ">" : "<");
        json.field("limit", gate.limit);
        json.field("value", outcome.value);
        json.field("failed", outcome.failed);
        writeBlock(json, "first_block_over", outcome.firstBlockOver);
        json.close('}');
    }
    json.close(']');
    writeDiagnostics(json, verdict.diagnostics);
    json.field("verdict", verdictText(verdict));
    json.key("reasons");
    json.open('[');
    for (const Reason& reason : verdict.reasons) {
        json.item();
        json.open('{');
        json.field("kind", reason.kind);
        json.field("verdict", reason.verdict);
        json.field("exit_status", reason.exitStatus);
        json.close('}');
    }
    json.close(']');
    json.close('}');
}

}  // namespace

void writeStudyJson(std::FILE* out, const std::vector<RunSummary>& runs, const StudyVerdict& verdict,
                    const StudyOptions& options, int exitStatus, const char* version) {
    JsonWriter json{out};
    json.open('{');
    json.field("program", "gridcmp-study");
    json.field("version", version);
    json.field("original", logName(options.original));
    json.field("exit_status", exitStatus);
    const RowWeights& weights = options.statistics.weights;
    json.key("weights");
    if (weights.kind == RowWeights::Kind::none) {
        json.null();
    } else {
        json.open('{');
        if (weights.kind == RowWeights::Kind::latitudes) {
            json.field("option", "--latitudes");
            json.field("first", weights.firstLatitude);
            json.field("last", weights.lastLatitude);
        } else {
            json.field("option", "--row-weights");
            json.field("file", options.rowWeightsFile);
            json.key("values");
            json.open('[');
            for (double value : weights.values) {
                json.item();
                json.number(value);
            }
            json.close(']');
        }
        json.close('}');
    }
    json.field("tolerance", options.statistics.tolerance);  // null: none
    json.key("bits");
    if (options.statistics.bits) {
        json.open('{');
        json.field("level", options.statistics.informationLevel);
        json.close('}');
    } else {
        json.null();
    }
    writeDiagnostics(json, verdict.original);
    json.key("runs");
    json.open('[');
    for (std::size_t i = 0; i < runs.size(); ++i) {
        json.item();
        writeRun(json, runs[i], verdict.runs[i], options);
    }
    json.close(']');
    json.close('}');
    std::fputc('\n', out);
}

}  // namespace gridcmp
