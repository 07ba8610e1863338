#include "compare/fieldBits.h"

#include <algorithm>
#include <cmath>

#include "compare/carriedBits.h"
#include "gridlog/cellValue.h"
#include "gridlog/tokenStarts.h"
#include "platform/doubleBits.h"

namespace gridcmp {

namespace {

constexpr int kFullPrecisionDigits = 17;

// Finds where the row's tokens start (the label's first); returns how many,
// at most count + 1.
int rowTokens(BlockStatistics& statistics, const RowText& row) {
    std::size_t wanted = static_cast<std::size_t>(row.count) + 2 + kTokenStartsSlack;
    if (statistics.tokenStarts.size() < wanted) statistics.tokenStarts.resize(wanted);
    return findTokenStarts(row.line, row.length, statistics.tokenStarts.data(), row.count + 1);
}

// Where token i (the label is 0) may end: the next token's start, or the
// line's end; a token is at most this minus its start, less one, long.
std::size_t tokenRoom(const BlockStatistics& statistics, int i, int tokens, const RowText& row) {
    return i + 1 < tokens ? statistics.tokenStarts[i + 1] : row.length + 1;
}

// Notes an original token of 17 significant digits or more.
void lookForFullPrecision(BlockStatistics& statistics, const RowText& row) {
    int tokens = rowTokens(statistics, row);
    for (int i = 1; i < tokens; ++i) {
        std::uint32_t start = statistics.tokenStarts[i];
        if (tokenRoom(statistics, i, tokens, row) - start <= kFullPrecisionDigits) continue;  // too short
        if (tokenDecimal(row.line + start).significantDigits >= kFullPrecisionDigits) {
            statistics.originalAtFullPrecision = true;
            return;
        }
    }
}

// Raises the block's carried bits until they keep every finite, non-zero
// value of the row. Most values keep their token by where its last digit is
// alone, which the reader gives or a quick look at the token tells; the
// others are held against their token's digits.
void addCarriedBits(BlockStatistics& statistics, const RowText& row) {
    int& carried = statistics.block.carriedBits;
    if (carried >= kMantissaPositions) return;
    int tokens = -1;  // not looked for yet
    for (int i = 0; i < row.count; ++i) {
        if (row.unitPowers) {
            i = firstUnsureValue(row.values, row.unitPowers, i, row.count, carried);
            if (i == row.count) return;
        }
        double value = row.values[i];
        if (!std::isfinite(value) || value == 0.0) continue;
        int unitPower;
        if (tokens < 0) tokens = rowTokens(statistics, row);
        if (i + 1 >= tokens) break;
        const char* token = row.line + statistics.tokenStarts[i + 1];
        if (!row.unitPowers && tokenUnitPower(token, unitPower) && surelyKeepsToken(value, unitPower, carried)) {
            continue;
        }
        TokenDecimal decimal = tokenDecimal(token);
        if (keepsToken(value, decimal, carried)) continue;
        carried = carriedBits(value, decimal, carried + 1);
        if (carried >= kMantissaPositions) return;
    }
}

}  // namespace

void addRowBits(BlockStatistics& statistics, const RowText& original, const RowText& quantized) {
    countRowPairs(statistics.originalBitCounter, original.values, original.count);
    countRowPairs(statistics.quantizedBitCounter, quantized.values, quantized.count);
    if (!statistics.originalAtFullPrecision) lookForFullPrecision(statistics, original);
    addCarriedBits(statistics, quantized);
}

void mergeBlockBits(BlockStatistics& statistics) {
    StatisticsPart& block = statistics.block;
    StatisticsPart& run = statistics.run;
    flushBitPairs(statistics.originalBitCounter, block.originalPairs);
    flushBitPairs(statistics.quantizedBitCounter, block.quantizedPairs);
    addBitPairCounts(run.originalPairs, block.originalPairs);
    addBitPairCounts(run.quantizedPairs, block.quantizedPairs);
    run.carriedBits = std::max(run.carriedBits, block.carriedBits);
}

BitFigures bitFiguresOf(const StatisticsPart& part, double level) {
    double original[kBitPositions];
    double quantized[kBitPositions];
    bitInformation(part.originalPairs, original);
    bitInformation(part.quantizedPairs, quantized);
    BitFigures figures;
    figures.bitPairs = part.originalPairs.pairs;
    figures.informationBits = informationBits(original);
    figures.keepbits = keepbitsOf(original, level);
    figures.quantizedBits = part.carriedBits;
    figures.bitsMargin = figures.quantizedBits - figures.keepbits;
    figures.informationKept =
        figures.informationBits != 0.0 ? informationBits(quantized) / figures.informationBits : kNoValue;
    return figures;
}

}  // namespace gridcmp
