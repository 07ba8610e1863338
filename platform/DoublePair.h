// Two doubles added or multiplied side by side, lane by lane exactly the
// scalar operation (IEEE double, no contraction): one vector instruction
// where the compiler has vectors, two scalar ones otherwise (the plain
// build, which the builds' comparison holds the vector one against).
#pragma once

#include "platform/fastPaths.h"

namespace gridcmp {

#if GRIDCMP_SIMD && defined(__GNUC__)
typedef double DoublePair __attribute__((vector_size(16)));
inline DoublePair pairOf(double first, double second) { return DoublePair{first, second}; }
inline double firstOf(DoublePair pair) { return pair[0]; }
inline double secondOf(DoublePair pair) { return pair[1]; }
#else
struct DoublePair {
    double first;
    double second;
};
inline DoublePair pairOf(double first, double second) { return DoublePair{first, second}; }
inline double firstOf(DoublePair pair) { return pair.first; }
inline double secondOf(DoublePair pair) { return pair.second; }
inline DoublePair operator+(DoublePair a, DoublePair b) { return {a.first + b.first, a.second + b.second}; }
inline DoublePair operator*(DoublePair a, DoublePair b) { return {a.first * b.first, a.second * b.second}; }
inline DoublePair operator-(DoublePair a, DoublePair b) { return {a.first - b.first, a.second - b.second}; }
#endif

}  // namespace gridcmp
