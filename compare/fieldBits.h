// The bits a field holds and the bits a run carries, per block and per run:
// the original's bitwise information (bitInformation.h) over the adjacent
// values of its rows, the quantized field's over its own, and the mantissa
// bits the quantized run's tokens carry (carriedBits.h). Kept in the
// statistics where their settings ask for bits; never weighted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "compare/BlockStatistics.h"

namespace gridcmp {

// A row as read: its line's text (the row label first) and its values.
struct RowText {
    const char* line;  // followed by at least 63 readable bytes
    std::size_t length;
    const double* values;
    int count;
    const CellDecimal* decimals;  // of each value's token, where the reader gave them; else nullptr
    const std::uint32_t* starts;  // where each value's token starts in `line`, where the reader gave them; else nullptr
};

// Adds a compared row pair: the adjacent pairs of every value of the
// original's row, those of the quantized row, and the bits its tokens carry;
// and, until one is found, whether an original token has 17 significant
// digits (in every row of the first block, then in the first row of each,
// `firstRow`). Allocates room for the widest row the first time
// (std::bad_alloc).
void addRowBits(BlockStatistics& statistics, const RowText& original, const RowText& quantized, bool firstRow);

// At the end of a block: its counts into the block part and the run's.
void mergeBlockBits(BlockStatistics& statistics);

// The figures of a part.
struct BitFigures {
    long long bitPairs;      // the original's adjacent finite pairs
    double informationBits;  // the original's information, summed over the 64 positions
    int keepbits;            // mantissa bits that keep `level` of it
    int quantizedBits;       // mantissa bits the quantized tokens carry
    int bitsMargin;          // quantizedBits - keepbits
    double informationKept;  // the quantized field's information over the original's; nan when that is 0
};
BitFigures bitFiguresOf(const StatisticsPart& part, double level);

}  // namespace gridcmp
