#include "compare/ErrorAccumulators.h"

#include <cmath>

#include "gridlog/RowValues.h"
#include "platform/fastPaths.h"

namespace gridcmp {

void computeRowTerms(RowTerms& terms, const double* s, const double* q, int count) {
    // The terms of a row are worked out first, two cells at a time where the
    // processor can (the same IEEE operations on each cell, so the same bits),
    // and only then added, one by one, in order.
    double* relative = terms.relative;
    double* absolute = terms.absolute;
    int i = 0;
#if GRIDCMP_USE_SSE2
    const __m128i signBits = _mm_set1_epi64x(static_cast<long long>(0x8000000000000000ull));
    const __m128d sign = _mm_castsi128_pd(signBits);
    const __m128d one = _mm_set1_pd(1.0);
    for (; i + 2 <= count; i += 2) {
        __m128d original = _mm_loadu_pd(s + i);
        __m128d quantized = _mm_loadu_pd(q + i);
        _mm_storeu_pd(relative + i, _mm_andnot_pd(sign, _mm_sub_pd(one, _mm_div_pd(original, quantized))));
        _mm_storeu_pd(absolute + i, _mm_andnot_pd(sign, _mm_sub_pd(original, quantized)));
    }
#endif
    for (; i < count; ++i) {
        relative[i] = std::fabs(1.0 - s[i] / q[i]);
        absolute[i] = std::fabs(s[i] - q[i]);
    }
}

void addRowTerms(ErrorAccumulators& sums, const RowTerms& terms, int count) {
    const double* relative = terms.relative;
    const double* absolute = terms.absolute;
    // Each sum is a chain of additions in cell order: no partial sums side by
    // side, no reassociation, and no multiply-add fused into a step (the build
    // turns contraction off), since any of them changes the last bits, and
    // the report's ten digits show them after enough cells.
    for (int i = 0; i < count; ++i) {
        sums.blockRelative += relative[i];
        sums.totalRelative += relative[i];
        sums.blockAbsolute += absolute[i];
        sums.totalAbsolute += absolute[i];
    }
}

}  // namespace gridcmp
