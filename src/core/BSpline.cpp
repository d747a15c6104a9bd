#include "core/BSpline.h"

#include <algorithm>
#include <climits>

namespace PM {

int32_t SampleKnotSpans(std::span<const float> knots, std::span<float> params, std::span<int32_t> spans, int32_t m) {
  const int64_t n = int64_t(knots.size());
  const int64_t capacity = int64_t(std::min({params.size(), spans.size(), size_t(INT32_MAX)}));
  if (n < 3 || m < 1 || capacity < 1) return 0;
  float cur = knots[2];
  int64_t span = -1, count = 0;
  // Every pass advances span, so there are at most n - 5 passes.
  while (n >= 6 && span < n - 6) {
    do ++span;
    while (knots[size_t(span + 3)] == cur && span < n - 5);
    const float next = knots[size_t(span + 3)];
    if (count + m + 1 > capacity) return int32_t(capacity);  // no room for this span and the last sample
    for (int32_t j = 0; j < m; ++j) {
      params[size_t(count + j)] = float(j) / float(m) * (next - cur) + cur;
      spans[size_t(count + j)] = int32_t(span);
    }
    count += m;
    cur = next;
  }
  params[size_t(count)] = cur;
  spans[size_t(count)] = int32_t(span);
  return int32_t(count + 1);
}

namespace {
float Quotient(float num, float den) { return den == 0.0f ? 0.0f : num / den; }
}  // namespace

void CubicBSplineBasis(float t, const float* k, float* w) {
  const float a = k[3] - t, b = t - k[2];
  const float d1 = (k[3] - k[1]) * (k[3] - k[2]);
  const float A = Quotient(a * a, (k[3] - k[0]) * d1);
  const float b1 = Quotient((t - k[1]) * a, d1 * (k[4] - k[1]));
  const float e1 = (k[4] - k[2]) * (k[3] - k[2]);
  const float b2 = Quotient((k[4] - t) * b, (k[4] - k[1]) * e1);
  const float B = b1 + b2;
  const float C = Quotient(b * b, (k[5] - k[2]) * e1);
  w[0] = A * a;
  w[1] = (k[4] - t) * B + (t - k[0]) * A;
  w[2] = (k[5] - t) * C + (t - k[1]) * B;
  w[3] = C * b;
}

void EvaluateBSplineSamples(std::span<const float> knots, const Vector3f* cv, std::span<const float> params,
                            std::span<const int32_t> spans, std::span<Vector3f> out) {
  const int32_t k = int32_t(knots.size());
  const float* kn = knots.data();
  for (size_t j = 0; j < out.size(); ++j) {
    // Repeated end knots leave samples at the end parameter on span k - 5, which has no six knots of its
    // own; the empty spans before it would weigh every CV with 0. The last span with a length ends there.
    int32_t i = spans[j] < k - 6 ? spans[j] : k - 6;
    if (i < 0) i = 0;
    while (i > 0 && kn[i + 2] == kn[i + 3]) --i;
    float w[4];
    CubicBSplineBasis(params[j], kn + i, w);
    Vector3f& p = out[j];
    p.x = w[0] * cv[i].x + w[1] * cv[i + 1].x + w[2] * cv[i + 2].x + w[3] * cv[i + 3].x;
    p.y = w[0] * cv[i].y + w[1] * cv[i + 1].y + w[2] * cv[i + 2].y + w[3] * cv[i + 3].y;
    p.z = w[0] * cv[i].z + w[1] * cv[i + 1].z + w[2] * cv[i + 2].z + w[3] * cv[i + 3].z;
  }
}

}  // namespace PM
