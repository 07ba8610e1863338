#include "study/studyJson.h"

#include <cmath>
#include <string>

#include "study/runFigures.h"
#include "study/studyReport.h"
#include "study/utf8.h"

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
    void string(const std::string& text) {
        std::fputc('"', out);
        const unsigned char* c = reinterpret_cast<const unsigned char*>(text.c_str());
        const unsigned char* end = c + text.size();
        while (c < end) {
            if (*c == '"' || *c == '\\') {
                std::fputc('\\', out);
                std::fputc(*c++, out);
            } else if (*c < 0x20) {
                std::fprintf(out, "\\u%04X", *c++);
            } else if (*c < 0x80) {
                std::fputc(*c++, out);
            } else if (int length = utf8SequenceLength(c)) {
                std::fwrite(c, 1, length, out);
                c += length;
            } else {
                std::fprintf(out, "\\\\x%02X", *c++);
            }
        }
        std::fputc('"', out);
    }
    void number(double value) {
        if (std::isnan(value)) {
            std::fputs("\"nan\"", out);
        } else if (std::isinf(value)) {
            std::fputs(value > 0 ? "\"inf\"" : "\"-inf\"", out);
        } else {
            std::fprintf(out, "%.17g", value);
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
};

void writeBlock(JsonWriter& json, const char* key, const NamedBlock& block) {
    json.key(key);
    if (!block.found) return json.null();
    json.open('{');
    json.key("label");
    json.string(block.label);
    json.key("value");
    json.number(block.value);
    json.close('}');
}

void writeCell(JsonWriter& json, const char* key, const ExtremeCell& cell, const std::string& label) {
    json.key(key);
    if (cell.row == 0) return json.null();
    json.open('{');
    json.key("label");
    json.string(label);
    json.key("row");
    json.integer(cell.row);
    json.key("column");
    json.integer(cell.column);
    json.key("line");
    json.integer(cell.line);
    json.key("original");
    json.number(cell.original);
    json.key("quantized");
    json.number(cell.quantized);
    json.close('}');
}

void writeDiagnostics(JsonWriter& json, const std::vector<Diagnostic>& diagnostics) {
    json.key("diagnostics");
    json.open('[');
    for (const Diagnostic& diagnostic : diagnostics) {
        json.item();
        json.open('{');
        json.key("kind");
        json.string(diagnostic.kind);
        json.key("file");
        json.string(diagnostic.file);
        json.key("count");
        json.integer(diagnostic.count);
        json.key("line");
        json.integer(diagnostic.line);
        json.key("message");
        json.string(diagnostic.text);
        json.key("fails_strict");
        json.boolean(diagnostic.failsStrict);
        json.close('}');
    }
    json.close(']');
}

void writeRun(JsonWriter& json, const RunSummary& run, const StudyOptions& options) {
    json.open('{');
    json.key("name");
    json.string(run.name);
    json.key("original");
    json.string(run.original);
    json.key("quantized");
    json.string(run.quantized);
    json.key("end");
    json.string(endKind(run));
    json.key("end_text");
    json.string(endText(run));
    for (int i = 0; i < runFigureCount(); ++i) {
        json.key(runFigureName(i));
        json.number(runFigure(run, runFigureName(i)));
    }
    writeCell(json, "max_absolute_at", run.statistics.largestAbsolute, run.largestAbsoluteLabel);
    writeCell(json, "max_relative_at", run.statistics.largestRelative, run.largestRelativeLabel);
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
    json.key("gates");
    json.open('[');
    for (std::size_t i = 0; i < options.gates.size(); ++i) {
        const Gate& gate = options.gates[i];
        const GateOutcome& outcome = run.gates[i];
        json.item();
        json.open('{');
        json.key("gate");
        json.string(gate.text);
        json.key("figure");
        json.string(gate.figure);
        json.key("fails_if");
        json.string(gate.failsAbove ? ">" : "<");
        json.key("limit");
        json.number(gate.limit);
        json.key("value");
        json.number(outcome.value);
        json.key("failed");
        json.boolean(outcome.failed);
        writeBlock(json, "first_block_over", outcome.firstBlockOver);
        json.close('}');
    }
    json.close(']');
    writeDiagnostics(json, runDiagnostics(run, options));
    json.close('}');
}

}  // namespace

void writeStudyJson(std::FILE* out, const std::vector<RunSummary>& runs, const StudyOptions& options, int exitStatus,
                    const char* version) {
    JsonWriter json{out};
    json.open('{');
    json.key("program");
    json.string("gridcmp-study");
    json.key("version");
    json.string(version);
    json.key("original");
    json.string(options.original);
    json.key("exit_status");
    json.integer(exitStatus);
    writeDiagnostics(json, originalDiagnostics(runs));
    json.key("runs");
    json.open('[');
    for (const RunSummary& run : runs) {
        json.item();
        writeRun(json, run, options);
    }
    json.close(']');
    json.close('}');
    std::fputc('\n', out);
}

}  // namespace gridcmp
