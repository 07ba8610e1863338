#include "compare/bitInformation.h"

#include <algorithm>
#include <cmath>

#include "platform/doubleBits.h"
#include "platform/portableMath.h"

namespace gridcmp {

namespace {

constexpr std::uint64_t kExponentField = 0x7FF;
constexpr int kExponentBias = 1023;
constexpr std::uint64_t kSignAndMantissa = 0x800FFFFFFFFFFFFFu;

// The two-sided 99 % point of the normal distribution.
constexpr double kChanceZ = 2.5758293035489004;

// Words added to the planes between drains: 24 planes count to 2^24 - 1.
constexpr long long kMostUndrained = (1LL << 23);

inline bool isFiniteBits(std::uint64_t bits) { return ((bits >> 52) & kExponentField) != kExponentField; }

// The value's 64 bits in counting order, position 0 in the top bit: the
// sign, the exponent's sign and magnitude, the mantissa.
inline std::uint64_t countingWord(std::uint64_t bits) {
    std::int64_t exponent = static_cast<std::int64_t>((bits >> 52) & kExponentField) - kExponentBias;
    std::uint64_t negative = exponent < 0;
    std::uint64_t magnitude = static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent);
    return (bits & kSignAndMantissa) | (negative << 62) | (magnitude << 52);
}

// Adds `carry` at plane k of lane 0: a binary addition, plane by plane.
inline void addAtPlane(PositionCounter& counter, int k, std::uint64_t carry) {
    while (carry) {
        std::uint64_t next = counter.planes[k][0] & carry;
        counter.planes[k][0] ^= carry;
        carry = next;
        ++k;
    }
}

// A carry-save adder: the sum of three words per position, as a low and a
// high bit.
inline void carrySave(std::uint64_t& high, std::uint64_t& low, std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t u = a ^ b;
    high = (a & b) | (u & c);
    low = u ^ c;
}

// The planes added into the plain counts, and emptied.
void drain(PositionCounter& counter) {
    int used = 0;
    while (used < PositionCounter::kPlanes && (counter.words >> used) != 0) ++used;
    for (int position = 0; position < kBitPositions; ++position) {
        int bit = 63 - position;
        long long count = 0;
        for (int k = 0; k < used; ++k) {
            for (int lane = 0; lane < PositionCounter::kLanes; ++lane) {
                count += static_cast<long long>((counter.planes[k][lane] >> bit) & 1) << k;
            }
        }
        counter.counts[position] += count;
    }
    for (int k = 0; k < used; ++k) std::fill(counter.planes[k], counter.planes[k] + PositionCounter::kLanes, 0);
    counter.words = 0;
}

// Adds word(0) ... word(n - 1) (Harley and Seal's method): sixteen words at
// a time through a tree of carry-save adders into the four lowest planes,
// each sixteenth carried on into the planes above, in four lanes side by
// side (64 words a step: lane l takes every fourth word from l on); then
// eight at a time in lane 0, then one by one.
template <typename Word>
void addWords(PositionCounter& counter, int n, Word word) {
    constexpr int kLanes = PositionCounter::kLanes;
    int i = 0;
    while (i < n) {
        if (counter.words >= kMostUndrained) drain(counter);
        int chunk = static_cast<int>(std::min<long long>(n - i, kMostUndrained - counter.words));
        int end = i + chunk;
        counter.words += chunk;
        std::uint64_t ones[kLanes], twos[kLanes], fours[kLanes], eights[kLanes];
        for (int l = 0; l < kLanes; ++l) {
            ones[l] = counter.planes[0][l];
            twos[l] = counter.planes[1][l];
            fours[l] = counter.planes[2][l];
            eights[l] = counter.planes[3][l];
        }
        for (; i + 16 * kLanes <= end; i += 16 * kLanes) {
            std::uint64_t sixteens[kLanes];
            for (int l = 0; l < kLanes; ++l) {
                auto at = [&](int k) { return word(i + kLanes * k + l); };
                std::uint64_t twosA, twosB, foursA, foursB, eightsA, eightsB;
                carrySave(twosA, ones[l], ones[l], at(0), at(1));
                carrySave(twosB, ones[l], ones[l], at(2), at(3));
                carrySave(foursA, twos[l], twos[l], twosA, twosB);
                carrySave(twosA, ones[l], ones[l], at(4), at(5));
                carrySave(twosB, ones[l], ones[l], at(6), at(7));
                carrySave(foursB, twos[l], twos[l], twosA, twosB);
                carrySave(eightsA, fours[l], fours[l], foursA, foursB);
                carrySave(twosA, ones[l], ones[l], at(8), at(9));
                carrySave(twosB, ones[l], ones[l], at(10), at(11));
                carrySave(foursA, twos[l], twos[l], twosA, twosB);
                carrySave(twosA, ones[l], ones[l], at(12), at(13));
                carrySave(twosB, ones[l], ones[l], at(14), at(15));
                carrySave(foursB, twos[l], twos[l], twosA, twosB);
                carrySave(eightsB, fours[l], fours[l], foursA, foursB);
                carrySave(sixteens[l], eights[l], eights[l], eightsA, eightsB);
            }
            for (int k = 4; sixteens[0] | sixteens[1] | sixteens[2] | sixteens[3]; ++k) {
                for (int l = 0; l < kLanes; ++l) {
                    std::uint64_t next = counter.planes[k][l] & sixteens[l];
                    counter.planes[k][l] ^= sixteens[l];
                    sixteens[l] = next;
                }
            }
        }
        for (; i + 8 <= end; i += 8) {
            std::uint64_t twosA, twosB, foursA, foursB, carried;
            carrySave(twosA, ones[0], ones[0], word(i), word(i + 1));
            carrySave(twosB, ones[0], ones[0], word(i + 2), word(i + 3));
            carrySave(foursA, twos[0], twos[0], twosA, twosB);
            carrySave(twosA, ones[0], ones[0], word(i + 4), word(i + 5));
            carrySave(twosB, ones[0], ones[0], word(i + 6), word(i + 7));
            carrySave(foursB, twos[0], twos[0], twosA, twosB);
            carrySave(carried, fours[0], fours[0], foursA, foursB);
            // The eighths into plane 3, whose lane 0 is held in eights[0].
            std::uint64_t next = eights[0] & carried;
            eights[0] ^= carried;
            if (next) addAtPlane(counter, 4, next);
        }
        for (int l = 0; l < kLanes; ++l) {
            counter.planes[0][l] = ones[l];
            counter.planes[1][l] = twos[l];
            counter.planes[2][l] = fours[l];
            counter.planes[3][l] = eights[l];
        }
        for (; i < end; ++i) addAtPlane(counter, 0, word(i));
    }
}

// Adds a run of n adjacent finite values' words (n >= 1).
void countRun(BitPairCounter& counter, const std::uint64_t* words, int n) {
    addWords(counter.all, n, [words](int i) { return words[i]; });
    addWords(counter.firsts, 1, [words](int) { return words[0]; });
    addWords(counter.lasts, 1, [words, n](int) { return words[n - 1]; });
    addWords(counter.both, n - 1, [words](int i) { return words[i] & words[i + 1]; });
    counter.pairs += n - 1;
}

// x log2(x), 0 for x = 0.
double xLog2x(double x) { return x > 0.0 ? x * portableLog2(x) : 0.0; }

// One case's share p log2(p / (p_first p_second)), 0 for p = 0.
double caseInformation(double p, double firstMarginal, double secondMarginal) {
    return p > 0.0 ? p * portableLog2(p / (firstMarginal * secondMarginal)) : 0.0;
}

}  // namespace

void countRowPairs(BitPairCounter& counter, const double* values, int count) {
    if (count <= 0) return;
    if (counter.words.size() < static_cast<std::size_t>(count)) counter.words.resize(count);
    std::uint64_t* words = counter.words.data();
    bool allFinite = true;
    for (int i = 0; i < count; ++i) {
        std::uint64_t bits = bitsOf(values[i]);
        allFinite &= isFiniteBits(bits);
        words[i] = countingWord(bits);
    }
    if (allFinite) {
        countRun(counter, words, count);
        return;
    }
    // Runs of finite values, apart.
    int i = 0;
    while (i < count) {
        while (i < count && !isFiniteBits(bitsOf(values[i]))) ++i;
        int start = i;
        while (i < count && isFiniteBits(bitsOf(values[i]))) ++i;
        if (i > start) countRun(counter, words + start, i - start);
    }
}

void flushBitPairs(BitPairCounter& counter, BitPairCounts& counts) {
    for (PositionCounter* part : {&counter.all, &counter.firsts, &counter.lasts, &counter.both}) drain(*part);
    for (int position = 0; position < kBitPositions; ++position) {
        long long all = counter.all.counts[position];
        counts.first[position] += all - counter.lasts.counts[position];
        counts.second[position] += all - counter.firsts.counts[position];
        counts.both[position] += counter.both.counts[position];
    }
    counts.pairs += counter.pairs;
    for (PositionCounter* part : {&counter.all, &counter.firsts, &counter.lasts, &counter.both}) {
        std::fill(part->counts, part->counts + kBitPositions, 0);
    }
    counter.pairs = 0;
}

void addBitPairCounts(BitPairCounts& into, const BitPairCounts& from) {
    into.pairs += from.pairs;
    for (int position = 0; position < kBitPositions; ++position) {
        into.first[position] += from.first[position];
        into.second[position] += from.second[position];
        into.both[position] += from.both[position];
    }
}

void bitInformation(const BitPairCounts& counts, double information[kBitPositions]) {
    std::fill(information, information + kBitPositions, 0.0);
    long long pairs = counts.pairs;
    if (pairs <= 0) return;
    double n = static_cast<double>(pairs);
    double p1 = std::min(1.0, 0.5 + kChanceZ / (2.0 * std::sqrt(n)));
    double chance = 1.0 + xLog2x(p1) + xLog2x(1.0 - p1);
    for (int position = 0; position < kBitPositions; ++position) {
        long long both = counts.both[position];
        long long first = counts.first[position];
        long long second = counts.second[position];
        double firstOne = static_cast<double>(first) / n;
        double firstZero = static_cast<double>(pairs - first) / n;
        double secondOne = static_cast<double>(second) / n;
        double secondZero = static_cast<double>(pairs - second) / n;
        double m = caseInformation(static_cast<double>(pairs - first - second + both) / n, firstZero, secondZero);
        m += caseInformation(static_cast<double>(second - both) / n, firstZero, secondOne);
        m += caseInformation(static_cast<double>(first - both) / n, firstOne, secondZero);
        m += caseInformation(static_cast<double>(both) / n, firstOne, secondOne);
        information[position] = m > chance ? m : 0.0;
    }
}

double informationBits(const double information[kBitPositions]) {
    double total = 0.0;
    for (int position = 0; position < kBitPositions; ++position) total += information[position];
    return total;
}

int keepbitsOf(const double information[kBitPositions], double level) {
    double total = informationBits(information);
    double wanted = level * total;
    double kept = 0.0;
    for (int position = 0; position < kExponentPositions; ++position) kept += information[position];
    for (int k = 0; k < kMantissaPositions; ++k) {
        if (kept >= wanted) return k;
        kept += information[kExponentPositions + k];
    }
    return kMantissaPositions;
}

}  // namespace gridcmp
