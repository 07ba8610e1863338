// The bitwise information of a field: how much each of a value's 64 bits
// tells about the same bit of its right-hand neighbour, beyond what chance
// would give. A finite double is read as 64 bits, position 0 first: its sign;
// the sign of its exponent E (the stored field minus 1023, so that values of
// both magnitudes share bits); |E| in ten bits; the 52 stored mantissa bits,
// most significant first.
//
// Counting is bit-sliced: words are added into a counter kept as binary
// digit planes by carry-save adders (sixteen words at a time, in four lanes;
// with AVX2 where the processor has it), so that a value costs a few word
// operations, not one per position.
#pragma once

#include <cstdint>
#include <vector>

namespace gridcmp {

constexpr int kBitPositions = 64;
constexpr int kExponentPositions = 12;  // the sign, then the exponent's sign and ten bits
constexpr int kMantissaPositions = 52;

// How many words had each position set: the recent ones as planes of binary
// digits (plane k holds bit k of each position's count) in four lanes that
// count side by side, the rest as plain counts, into which the planes are
// drained before they could overflow.
struct PositionCounter {
    static constexpr int kPlanes = 24;
    static constexpr int kLanes = 4;
    std::uint64_t planes[kPlanes][kLanes] = {};
    long long words = 0;  // added to the planes since they were drained
    long long counts[kBitPositions] = {};  // position 0 first
};

// The adjacent pairs of one field's rows: how many, and how many had each
// position set in the first (left) value, in the second, and in both.
struct BitPairCounts {
    long long pairs = 0;
    long long first[kBitPositions] = {};
    long long second[kBitPositions] = {};
    long long both[kBitPositions] = {};
};

// Counts being gathered: every finite value of the rows (each in a run of
// adjacent finite values), the first and last value of each run, and the
// AND of each adjacent pair. first = all - lasts, second = all - firsts.
struct BitPairCounter {
    PositionCounter all;
    PositionCounter firsts;
    PositionCounter lasts;
    PositionCounter both;
    long long pairs = 0;
    std::vector<std::uint64_t> words;  // a row's values as words
};

// Adds the adjacent finite pairs of one row of `count` values. Allocates room
// for a row the first time one is wider (std::bad_alloc without memory).
void countRowPairs(BitPairCounter& counter, const double* values, int count);

// Adds what the counter gathered to `counts`, and empties the counter.
void flushBitPairs(BitPairCounter& counter, BitPairCounts& counts);

// Counts with the widest instructions the processor has (AVX2; the default),
// or with the target's baseline alone: the same counts. false, and nothing
// changed, where there is no wider path. Not to be called while another
// thread counts; for tests.
bool countBitsWide(bool wide);

// Adds `from` to `into`.
void addBitPairCounts(BitPairCounts& into, const BitPairCounts& from);

// The information of each position in bits (mutual information of the pair's
// two bits, in log2), 0 where it is at most what chance gives with
// `counts.pairs` pairs at the two-sided 99 % level, and everywhere when
// there is no pair. Same bits on every machine.
void bitInformation(const BitPairCounts& counts, double information[kBitPositions]);

// The sum of the 64, from position 0 on.
double informationBits(const double information[kBitPositions]);

// The fewest mantissa bits k (0 to 52) such that positions 0 to 11 + k,
// summed from position 0 on, hold at least `level` times the total; 0 when
// the total is 0.
int keepbitsOf(const double information[kBitPositions], double level);

}  // namespace gridcmp
