#include "compare/fieldBits.h"

#include <algorithm>
#include <cmath>

#include "compare/carriedBits.h"
#include "gridlog/tokenStarts.h"
#include "platform/doubleBits.h"

namespace gridcmp {

namespace {

constexpr int kFullPrecisionDigits = 17;

// Where each value's token starts in the row's line: as the reader found
// them, or found here; sets `count` to how many values have a token.
const std::uint32_t* valueStarts(BlockStatistics& statistics, const RowText& row, int& count) {
    count = row.count;
    if (row.starts) return row.starts;
    std::size_t wanted = static_cast<std::size_t>(row.count) + 2 + kTokenStartsSlack;
    if (statistics.tokenStarts.size() < wanted) statistics.tokenStarts.resize(wanted);
    int tokens = findTokenStarts(row.line, row.length, statistics.tokenStarts.data(), row.count + 1);
    count = std::min(count, tokens - 1);  // the label's first
    return statistics.tokenStarts.data() + 1;
}

// Whether a token is written in hex: the double itself, at full precision.
bool isHex(const char* token) {
    token += *token == '-' || *token == '+';
    return token[0] == '0' && (token[1] | 0x20) == 'x';
}

// Notes an original token of a finite value with 17 significant digits or
// more, or in hex: only a token with room for 17 characters can be one.
void lookForFullPrecision(BlockStatistics& statistics, const RowText& row) {
    int count;
    const std::uint32_t* starts = valueStarts(statistics, row, count);
    for (int i = 0; i < count; ++i) {
        std::size_t end = i + 1 < count ? starts[i + 1] : row.length + 1;
        if (end - starts[i] <= kFullPrecisionDigits || !std::isfinite(row.values[i])) continue;
        const char* token = row.line + starts[i];
        int significantDigits;
        tokenDecimal(token, &significantDigits);
        if (significantDigits >= kFullPrecisionDigits || isHex(token)) {
            statistics.originalAtFullPrecision = true;
            return;
        }
    }
}

// Raises the block's carried bits until they keep every finite, non-zero
// value of the row. Most values keep their token by where its last digit is
// alone (firstUnsureValue); the others are held against their token's
// digits. The reader gives each token's decimal where it converted the row;
// else the tokens are read here.
void addCarriedBits(BlockStatistics& statistics, const RowText& row) {
    int& carried = statistics.block.carriedBits;
    if (carried >= kMantissaPositions) return;
    const CellDecimal* decimals = row.decimals;
    int count = row.count;
    const std::uint32_t* starts = nullptr;  // not looked for yet
    if (!decimals) {
        starts = valueStarts(statistics, row, count);
        if (statistics.rowDecimals.size() < static_cast<std::size_t>(count)) statistics.rowDecimals.resize(count);
        for (int i = 0; i < count; ++i) statistics.rowDecimals[i] = tokenDecimal(row.line + starts[i]);
        decimals = statistics.rowDecimals.data();
    }
    for (int i = firstUnsureValue(row.values, decimals, 0, count, carried); i < count;
         i = firstUnsureValue(row.values, decimals, i + 1, count, carried)) {
        CellDecimal decimal = decimals[i];
        if (decimal.unitPower == kNoUnitPower && decimals == row.decimals) {
            // The reader's conversion takes only the plainest tokens (at
            // most 19 digits with leading zeros, no '+'): the others are read
            // here.
            int withTokens;
            if (!starts) starts = valueStarts(statistics, row, withTokens);  // the reader's: every value has one
            decimal = tokenDecimal(row.line + starts[i]);
        }
        if (keepsToken(row.values[i], decimal, carried)) continue;
        carried = carriedBits(row.values[i], decimal, carried + 1);
        if (carried >= kMantissaPositions) return;
    }
}

}  // namespace

void addRowBits(BlockStatistics& statistics, const RowText& original, const RowText& quantized, bool firstRow) {
    countRowPairs(statistics.originalBitCounter, original.values, original.count);
    countRowPairs(statistics.quantizedBitCounter, quantized.values, quantized.count);
    // Every row of the first block, then the first of each: an original
    // rendered short everywhere is not looked at token by token to its end.
    if (!statistics.originalAtFullPrecision && (firstRow || !statistics.pastFirstBitsBlock)) {
        lookForFullPrecision(statistics, original);
    }
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
    statistics.pastFirstBitsBlock = true;
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
