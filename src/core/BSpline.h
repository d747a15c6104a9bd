// Sampling and evaluation of non-uniform cubic B-splines: the curve tessellation, the spline IK solver
// and debug drawing share them.
#pragma once

#include <cstdint>
#include <span>

#include "core/Vector3f.h"

namespace PM {

// Lays m samples over each non-empty span of the knot vector, from knots[2] on: params gets the
// parameters start + j/m·(end - start), spans the index i of the span [knots[i+2], knots[i+3]]; a last
// sample at the final parameter ends the list. Returns the count written, (non-empty spans)·m + 1.
// Never writes past either output: when the samples do not fit it stops and returns the smaller
// capacity, which callers take as an overflow. Fewer than three knots, m < 1 or no room give 0; fewer
// than six knots give the single sample knots[2] with span -1.
int32_t SampleKnotSpans(std::span<const float> knots, std::span<float> params, std::span<int32_t> spans, int32_t m);

// The four cubic B-spline weights at t for the span [k[2], k[3]] of six consecutive knots (Cox-de
// Boor); a quotient whose denominator is 0 counts as 0.
void CubicBSplineBasis(float t, const float* k, float* weights);

// The curve points of samples laid by SampleKnotSpans: point j is the weighted sum of the four control
// vertices of span spans[j] at params[j]. Samples at the end parameter on the empty spans that repeated
// end knots leave are evaluated on the last span with a length. The caller guarantees at least six
// knots, (knots - 2) control vertices and room for every sample in `out`.
void EvaluateBSplineSamples(std::span<const float> knots, const Vector3f* cvs, std::span<const float> params,
                            std::span<const int32_t> spans, std::span<Vector3f> out);

}  // namespace PM
