// What the keyed splines share: keys read as float components, the segment search, Hermite segments,
// tangent fits and the order of keys by time.
#pragma once

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "scene/SplineKeys.h"

namespace PM {

// An out-tangent at or above this marks a step: the component holds until the next key.
inline constexpr float kStepTangent = 1e30f;

// Values are plain float records: a component is reached by its position.
template <class V>
// NOLINTNEXTLINE(bugprone-sizeof-expression): 1 for a float
inline constexpr int kSplineWidth = int(sizeof(V) / sizeof(float));
template <class V>
float* Components(V& v) {
  return reinterpret_cast<float*>(&v);
}
template <class V>
const float* Components(const V& v) {
  return reinterpret_cast<const float*>(&v);
}

// The segment holding t: 0 at or before the first key, n - 1 at or after the last, else a binary
// search; an interior key time may answer either neighbour, and keys out of order answer 0.
template <class Key>
int32_t FindKeySegment(const Key* keys, int32_t n, float t) {
  if (n <= 0 || t <= keys[0].time) return 0;
  if (t >= keys[n - 1].time) return n - 1;
  int32_t lo = 0, hi = n - 2;
  while (lo <= hi) {
    const int32_t mid = (lo + hi) / 2;
    if (keys[mid].time <= t && t <= keys[mid + 1].time) return mid;
    if (t < keys[mid].time)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return 0;
}

// Where t lies between t0 and t1, clamped to [0, 1]; a NaN (an empty span) gives 0.
inline float SegmentParameter(float t, float t0, float t1) {
  const float s = (t - t0) / (t1 - t0);
  if (!(s > 0.0f)) return 0.0f;
  return s < 1.0f ? s : 1.0f;
}

// The cubic Hermite segment from key k[0] to key k[1] at s, with k[0]'s out- and k[1]'s in-tangent
// (per whole segment); a component whose out-tangent marks a step holds k[0]'s value.
template <class V>
void HermiteSegment(const KeyOf<V>* k, float s, float* out) {
  const float s2 = s * s, s3 = s2 * s;
  const float wa = 2.0f * s3 - 3.0f * s2 + 1.0f, wg = s3 - 2.0f * s2 + s, wb = 3.0f * s2 - 2.0f * s3, wh = s3 - s2;
  const float *a = Components(k[0].value), *g = Components(k[0].outTangent);
  const float *b = Components(k[1].value), *h = Components(k[1].inTangent);
  if constexpr (kSplineWidth<V> == 3 || kSplineWidth<V> == 4) {
    // All components at once: each lane takes the products and sums of one component in the same
    // order, so the values are those of one component at a time. Three-wide keys fill the fourth lane
    // from the field after (the out-tangent's is the next key's time), which is never stored.
    const __m128 va = _mm_loadu_ps(a), vg = _mm_loadu_ps(g), vb = _mm_loadu_ps(b), vh = _mm_loadu_ps(h);
    __m128 r = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(wa), va), _mm_mul_ps(_mm_set1_ps(wg), vg));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(wb), vb));
    r = _mm_add_ps(r, _mm_mul_ps(_mm_set1_ps(wh), vh));
    const __m128 step = _mm_cmpge_ps(vg, _mm_set1_ps(kStepTangent));  // false for NaN, as >= is
    r = _mm_or_ps(_mm_and_ps(step, va), _mm_andnot_ps(step, r));
    if constexpr (kSplineWidth<V> == 4) {
      _mm_storeu_ps(out, r);
    } else {
      _mm_storel_pi(reinterpret_cast<__m64*>(out), r);
      _mm_store_ss(out + 2, _mm_movehl_ps(r, r));
    }
  } else {
    for (int c = 0; c < kSplineWidth<V>; ++c)
      out[c] = g[c] >= kStepTangent ? a[c] : wa * a[c] + wg * g[c] + wb * b[c] + wh * h[c];
  }
}

template <class V>
void CopyValue(const V& v, float* out) {
  const float* c = Components(v);
  for (int i = 0; i < kSplineWidth<V>; ++i) out[i] = c[i];
}

// Where the curve stands at t, given the segment i the search found for t: the key whose value it
// takes (>= 0), or -1 - i inside segment i. Before the first key and at a key's time it is that key
// (so a step jumps exactly at the next key's time); of keys that share a time, the last.
template <class Key>
int32_t LocateInSegment(const Key* keys, int32_t n, float t, int32_t i) {
  if (i == n - 1) return i;
  if (t >= keys[i + 1].time) {
    ++i;
    while (i + 1 < n && keys[i + 1].time == keys[i].time) ++i;
    return i;
  }
  return t <= keys[i].time ? i : -1 - i;
}

template <class Key>
int32_t LocateTime(const Key* keys, int32_t n, float t) {
  return LocateInSegment(keys, n, t, FindKeySegment(keys, n, t));
}

// The curve at t, which LocateTime placed at `at`. Inlined into the curves' Evaluate, where a call
// would stand between the search and the segment's loads.
template <class V>
[[gnu::always_inline]] inline void EvaluateLocated(const KeyOf<V>* keys, float t, int32_t at, float* out) {
  if (at >= 0) return CopyValue(keys[at].value, out);
  const int32_t i = -1 - at;
  HermiteSegment(keys + i, SegmentParameter(t, keys[i].time, keys[i + 1].time), out);
}

// Rotations: the spherical interpolation of the neighbouring keys along the shorter arc.
void EvaluateLocated(const KeyQuaternionf* keys, float t, int32_t at, float* out);

// A key's rotation as a unit quaternion; a zero or non-finite one is the identity.
Quaternionf UnitRotation(const Quaternionf& q);

// Tangents from the neighbours p = i - 1 and q = i + 1 (clamped to the keys): the difference
// V[q] - V[p] split by where key i lies in time between them (halves when T[q] = T[p]).
template <class V>
void FitSmoothTangents(KeyOf<V>* keys, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const int32_t p = std::max(i - 1, 0), q = std::min(i + 1, n - 1);
    const float span = keys[q].time - keys[p].time;
    const float s = span != 0.0f ? (keys[i].time - keys[p].time) / span : 0.5f;
    float *in = Components(keys[i].inTangent), *out = Components(keys[i].outTangent);
    const float *vp = Components(keys[p].value), *vq = Components(keys[q].value);
    for (int c = 0; c < kSplineWidth<V>; ++c) {
      const float d = vq[c] - vp[c];
      in[c] = (1.0f - s) * d;
      out[c] = s * d;
    }
  }
}

// Tangents as the differences to the neighbours: in = V[q] - V[i], out = V[i] - V[p].
template <class V>
void FitLinearTangents(KeyOf<V>* keys, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const int32_t p = std::max(i - 1, 0), q = std::min(i + 1, n - 1);
    float *in = Components(keys[i].inTangent), *out = Components(keys[i].outTangent);
    const float *vp = Components(keys[p].value), *vi = Components(keys[i].value), *vq = Components(keys[q].value);
    for (int c = 0; c < kSplineWidth<V>; ++c) {
      in[c] = vq[c] - vi[c];
      out[c] = vi[c] - vp[c];
    }
  }
}

// Sorts keys by time without recursion that the input can deepen; NaN times go last, keys with equal
// times keep no defined order.
template <class Key>
void SortKeysByTime(Key* first, Key* last) {
  std::sort(first, last,
            [](const Key& a, const Key& b) { return std::isnan(b.time) ? !std::isnan(a.time) : a.time < b.time; });
}

}  // namespace PM
