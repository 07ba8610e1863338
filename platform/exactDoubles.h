// The report is compared byte for byte with reports made on other machines, so
// every double operation must round exactly as IEEE double arithmetic says, on
// every machine. A build whose flags would change that does not compile.
//
// Fused multiply-adds would change it too; no flag can be tested for that, so
// CMake turns contraction off (-ffp-contract=off) for the whole build.
#pragma once

#include <cfloat>

#ifdef __FAST_MATH__
#error "gridcmp must not be built with -ffast-math or -Ofast: they reorder and approximate the error sums and the number conversion, and the report's digits would change"
#endif

// 0: each operation rounds to its type; 1: float to double, double to double.
// 2 (the x87 unit of 32-bit x86): doubles are worked out in 80-bit registers
// and rounded twice, which changes the last bit of cell values and sums.
#if !defined(FLT_EVAL_METHOD) || (FLT_EVAL_METHOD != 0 && FLT_EVAL_METHOD != 1)
#error "gridcmp needs double arithmetic rounded to double (FLT_EVAL_METHOD 0 or 1); on 32-bit x86 build with -msse2 -mfpmath=sse, as its CMakeLists.txt does"
#endif
