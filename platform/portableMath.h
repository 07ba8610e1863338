// Logarithms and the cosine from IEEE double additions, multiplications and
// divisions alone, in a fixed order: the same bits on every machine and with
// every C library, whose functions may round their last bit differently
// (glibc's differ between x86-64 and 32-bit x86, and where they fuse
// multiply-adds). Each is within a few units in the last place of the exact
// value. None allocates; none sets errno.
#pragma once

namespace gridcmp {

// log2(x): -inf for 0, inf for inf, nan for a negative number or nan.
double portableLog2(double x);

// log10(x), the same.
double portableLog10(double x);

// cos(x) for |x| up to pi/2 (a latitude in radians); nan beyond, and for nan.
double portableCos(double x);

}  // namespace gridcmp
