// Where the blank-separated tokens of a line start: the first step of
// splitting a data row, done for the whole row before any token is converted.
//
// Several paths do it, every one giving the same offsets: plain C++ a byte at
// a time (every build), 64 bytes at a time as a bit mask built in plain C++
// (GRIDCMP_USE_WORDS), or with SSE2, AVX2 or AVX-512 compares. The wider ones
// are compiled in for x86 where the compiler has them and taken only where
// the processor has them, so that the program still runs on any x86-64. The
// fastest path available is taken by default; tests select each in turn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gridcmp {

enum class TokenPath { plain, words, sse2, avx2, avx512 };
constexpr int kTokenPathCount = 5;

// The paths this build can take on this processor, slowest first; returns
// how many.
int availableTokenPaths(TokenPath (&paths)[kTokenPathCount]);

// Makes `path` the one findTokenStarts takes; false, and nothing changed, when
// it is not available. Not to be called while another thread splits rows.
bool selectTokenPath(TokenPath path);

TokenPath selectedTokenPath();

// A path's name, for test messages.
const char* tokenPathName(TokenPath path);

// A path may write this many offsets past `capacity` (a step's worth of
// token starts), which the caller's array must have room for.
constexpr int kTokenStartsSlack = 64;

// Writes the offsets of the first `capacity` tokens of the line to `starts`
// and returns how many there are, up to `capacity`. Tokens are separated by
// blanks only; bytes past `length`, up to 63 of them, are read (and taken as
// blanks), so they must be readable.
int findTokenStarts(const char* line, std::size_t length, std::uint32_t* starts, int capacity);

}  // namespace gridcmp
