// Writes a reproducible pair of grid logs for benchmarks: an original run and
// its quantized run, 400 columns, a few hundred rows per block, values rendered
// in mixed fixed and exponent notation; the quantized log holds each value
// rounded to three significant digits (never to zero where the original is not
// zero), rendered the same way.
//
//     makeLogs ORIGINAL QUANTIZED MEGABYTES [SEED [field|random|full]]
//
// "field" (the default) renders a simulated field: smooth in space and time,
// signed, its magnitude drifting across the grid from 1e-4 to 1e5, with a
// little noise; notation changes where the magnitude does. "random" draws
// every cell's sign and magnitude (1e-5 to 1e5) anew: the notation changes from
// cell to cell, the hardest case for the reader. "full" renders the field as a
// study should: the original at full precision ("%.16e", 17 significant
// digits), the quantized run its values rounded to fp32 and written "%.8e"
// (enough digits to give the float back).
//
// Writes blocks until the original log reaches MEGABYTES * 10^6 bytes.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr int kColumns = 400;
constexpr int kRowsPerBlock = 250;

void renderOriginal(char* out, int size, double v) {
    double magnitude = std::fabs(v);
    if (magnitude < 1e-2 || magnitude >= 1e4) {
        std::snprintf(out, size, "%.6e", v);
    } else {
        std::snprintf(out, size, "%.6f", v);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: makeLogs ORIGINAL QUANTIZED MEGABYTES [SEED [field|random|full]]\n");
        return 2;
    }
    std::FILE* original = std::fopen(argv[1], "w");
    std::FILE* quantized = std::fopen(argv[2], "w");
    if (!original || !quantized) {
        std::perror("makeLogs");
        return 2;
    }
    long long target = static_cast<long long>(std::atof(argv[3]) * 1e6);
    std::mt19937_64 random(argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-5, 5);
    bool randomCells = argc > 5 && std::string(argv[5]) == "random";
    bool fullPrecision = argc > 5 && std::string(argv[5]) == "full";
    const double pi = std::acos(-1.0);

    char text[64];
    char rounded[64];
    long long written = 0;
    for (int block = 0; written < target; ++block) {
        for (std::FILE* log : {original, quantized}) {
            std::fprintf(log, "VistaGrid timeline paso %d t= %09.4f\n", block + 1, block * 0.25);
            std::fprintf(log, "fila");
            for (int c = 0; c < kColumns; ++c) std::fprintf(log, " c%d", c + 1);
            std::fprintf(log, "\n====\n");
        }
        for (int row = 0; row < kRowsPerBlock; ++row) {
            std::fprintf(original, "%d", row + 1);
            std::fprintf(quantized, "%d", row + 1);
            for (int c = 0; c < kColumns; ++c) {
                double v;
                if (randomCells) {
                    v = unit(random) * std::pow(10.0, scale(random));
                } else {
                    double x = static_cast<double>(c) / kColumns;
                    double y = static_cast<double>(row) / kRowsPerBlock;
                    double t = block * 0.25;
                    double wave = std::sin(2 * pi * (x + 0.1 * t)) * std::cos(2 * pi * (y - 0.05 * t));
                    double decades = -4.0 + 9.0 * (0.5 + 0.5 * std::sin(1.5 * pi * x + y));
                    v = (wave + 1e-3 * unit(random)) * std::pow(10.0, decades);
                }
                if (fullPrecision) {
                    std::fprintf(original, "  %.16e", v);
                    std::fprintf(quantized, "  %.8e", static_cast<double>(static_cast<float>(v)));
                    continue;
                }
                renderOriginal(text, sizeof text, v);
                std::fprintf(original, "  %s", text);
                // The quantized run is rendered the same way, from its rounded value.
                std::snprintf(rounded, sizeof rounded, "%.3g", std::atof(text));
                renderOriginal(text, sizeof text, std::atof(rounded));
                std::fprintf(quantized, "  %s", text);
            }
            std::fputc('\n', original);
            std::fputc('\n', quantized);
        }
        std::fputs("\n", original);
        std::fputs("\n", quantized);
        written = std::ftell(original);
    }
    std::fclose(original);
    std::fclose(quantized);
    return 0;
}
