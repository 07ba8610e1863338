#include "compare/bitInformation.h"

#include <algorithm>
#include <cmath>

#include "compare/bitCountsLoop.h"
#include "platform/cpuFeatures.h"
#include "platform/doubleBits.h"
#include "platform/portableMath.h"

namespace gridcmp {

#if GRIDCMP_HAVE_AVX2
void addWordsToPlanesAvx2(std::uint64_t (*planes)[4], const std::uint64_t* words, int n, bool adjacentAnds);
#endif

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

using AddWordsToPlanes = void (*)(std::uint64_t (*)[kCountLanes], const std::uint64_t*, int, bool);

void addWordsToPlanesPlain(std::uint64_t (*planes)[kCountLanes], const std::uint64_t* words, int n, bool ands) {
    addWordsToPlanes(planes, words, n, ands);
}

// The widest path the processor has, taken once at start.
AddWordsToPlanes widestPath() {
#if GRIDCMP_HAVE_AVX2
    if (processorHasAvx2()) return addWordsToPlanesAvx2;
#endif
    return addWordsToPlanesPlain;
}

AddWordsToPlanes addWordsPath = widestPath();

static_assert(PositionCounter::kLanes == kCountLanes, "the planes' lanes are the loop's");

// Adds n words (or the ANDs of n adjacent pairs), the planes drained
// whenever they could overflow.
void addWords(PositionCounter& counter, const std::uint64_t* words, int n, bool adjacentAnds) {
    int i = 0;
    while (i < n) {
        if (counter.words >= kMostUndrained) drain(counter);
        int chunk = static_cast<int>(std::min<long long>(n - i, kMostUndrained - counter.words));
        counter.words += chunk;
        addWordsPath(counter.planes, words + i, chunk, adjacentAnds);
        i += chunk;
    }
}

// Adds one word.
void addWord(PositionCounter& counter, std::uint64_t word) {
    if (counter.words >= kMostUndrained) drain(counter);
    ++counter.words;
    addAtPlane(counter.planes, 0, word);
}

// Adds a run of n adjacent finite values' words (n >= 1).
void countRun(BitPairCounter& counter, const std::uint64_t* words, int n) {
    addWords(counter.all, words, n, false);
    addWord(counter.firsts, words[0]);
    addWord(counter.lasts, words[n - 1]);
    addWords(counter.both, words, n - 1, true);
    counter.pairs += n - 1;
}

// x log2(x), 0 for x = 0.
double xLog2x(double x) { return x > 0.0 ? x * portableLog2(x) : 0.0; }

// One case's share p log2(p / (p_first p_second)), 0 for p = 0.
double caseInformation(double p, double firstMarginal, double secondMarginal) {
    return p > 0.0 ? p * portableLog2(p / (firstMarginal * secondMarginal)) : 0.0;
}

}  // namespace

bool countBitsWide(bool wide) {
    AddWordsToPlanes path = wide ? widestPath() : addWordsToPlanesPlain;
    if (wide && path == addWordsToPlanesPlain) return false;
    addWordsPath = path;
    return true;
}

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
