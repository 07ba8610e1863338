#include "gridlog/tokenStarts.h"

#include "gridlog/tokenStartsLoop.h"
#include "platform/cpuFeatures.h"
#include "platform/fastPaths.h"

namespace gridcmp {

// The wide paths, each in a file of its own compiled for its instruction set
// (CMake defines these where it compiles them).
#if GRIDCMP_HAVE_AVX2
int findTokenStartsAvx2(const char* line, std::size_t length, std::uint32_t* starts, int capacity);
#endif
#if GRIDCMP_HAVE_AVX512
int findTokenStartsAvx512(const char* line, std::size_t length, std::uint32_t* starts, int capacity);
#endif

namespace {

using FindTokenStarts = int (*)(const char*, std::size_t, std::uint32_t*, int);

int findTokenStartsPlain(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    int count = 0;
    bool inToken = false;
    for (std::size_t i = 0; i < length && count < capacity; ++i) {
        bool blank = line[i] == ' ';
        if (!blank && !inToken) starts[count++] = static_cast<std::uint32_t>(i);
        inToken = !blank;
    }
    return count;
}

#if GRIDCMP_USE_WORDS
int findTokenStartsWords(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    return findTokenStartsBy64(line, length, starts, capacity, [](const char* p) {
        std::uint64_t blanks = 0;
        for (int i = 0; i < 64; ++i) blanks |= static_cast<std::uint64_t>(p[i] == ' ') << i;
        return blanks;
    });
}
#endif

#if GRIDCMP_USE_SSE2
int findTokenStartsSse2(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    return findTokenStartsBy64(line, length, starts, capacity, [](const char* p) {
        const __m128i blank = _mm_set1_epi8(' ');
        std::uint64_t blanks = 0;
        for (int part = 0; part < 4; ++part) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            blanks |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, blank))))
                      << (16 * part);
        }
        return blanks;
    });
}
#endif

struct PathEntry {
    TokenPath path;
    const char* name;
    FindTokenStarts find;  // nullptr: not in this build
    bool (*processorHasIt)();
};

bool always() { return true; }

const PathEntry kPaths[kTokenPathCount] = {
    {TokenPath::plain, "plain", findTokenStartsPlain, always},
#if GRIDCMP_USE_WORDS
    {TokenPath::words, "words", findTokenStartsWords, always},
#else
    {TokenPath::words, "words", nullptr, always},
#endif
#if GRIDCMP_USE_SSE2
    {TokenPath::sse2, "sse2", findTokenStartsSse2, always},
#else
    {TokenPath::sse2, "sse2", nullptr, always},
#endif
#if GRIDCMP_HAVE_AVX2
    {TokenPath::avx2, "avx2", findTokenStartsAvx2, processorHasAvx2},
#else
    {TokenPath::avx2, "avx2", nullptr, always},
#endif
#if GRIDCMP_HAVE_AVX512
    {TokenPath::avx512, "avx512", findTokenStartsAvx512, processorHasAvx512},
#else
    {TokenPath::avx512, "avx512", nullptr, always},
#endif
};

bool isAvailable(const PathEntry& entry) { return entry.find != nullptr && entry.processorHasIt(); }

struct Selection {
    TokenPath path;
    FindTokenStarts find;
};

Selection fastestPath() {
    Selection fastest{TokenPath::plain, findTokenStartsPlain};
    for (const PathEntry& entry : kPaths) {
        if (isAvailable(entry)) fastest = {entry.path, entry.find};
    }
    return fastest;
}

// Chosen once, on first use (thread-safe), then only read.
Selection& selection() {
    static Selection selected = fastestPath();
    return selected;
}

}  // namespace

int availableTokenPaths(TokenPath (&paths)[kTokenPathCount]) {
    int count = 0;
    for (const PathEntry& entry : kPaths) {
        if (isAvailable(entry)) paths[count++] = entry.path;
    }
    return count;
}

bool selectTokenPath(TokenPath path) {
    const PathEntry& entry = kPaths[static_cast<int>(path)];
    if (!isAvailable(entry)) return false;
    selection() = {entry.path, entry.find};
    return true;
}

TokenPath selectedTokenPath() { return selection().path; }

const char* tokenPathName(TokenPath path) { return kPaths[static_cast<int>(path)].name; }

int findTokenStarts(const char* line, std::size_t length, std::uint32_t* starts, int capacity) {
    return selection().find(line, length, starts, capacity);
}

}  // namespace gridcmp
