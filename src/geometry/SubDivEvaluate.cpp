// The evaluation of a subdivided level into vertex data: weighted sums, float channels over the base
// faces, vertex normals and morph normal deltas.
#include <immintrin.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "classes/EngineClassIds.h"
#include "core/Log.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivParam.h"
#include "geometry/SubDivScratch.h"
#include "script/object/MemberAccess.h"

namespace PM {
namespace {

// The blend control is an animation class, above geometry: named by its id.
constexpr uint32_t kMemberStaticBlend = MakeMemberId(2, ClassId::BlendControl);

// A per-base-point value in four lanes (the fourth 0), so a weighted sum adds a whole value a step.
struct alignas(16) Lanes {
  float v[4];
};
std::vector<Lanes> Widened(const Array<Vector3f>& values) {
  std::vector<Lanes> lanes(size_t(values.Count()));
  for (int32_t i = 0; i < values.Count(); ++i) lanes[size_t(i)] = {{values[i].x, values[i].y, values[i].z, 0}};
  return lanes;
}

// A point's weight list applied to per-base-point values, summed from the last entry to the first;
// each lane does one component's operations in their order, so the bits are those of a scalar sum.
// Indices outside the values count as zero.
// `values` and `size` are the values' data and count, taken once by the caller.
[[gnu::always_inline]] inline __m128 WeightedSumLanes(const SubDivPoint& p, const Lanes* values, uint32_t size) {
  __m128 s = _mm_setzero_ps();
  const int n = p.weightCount < 0 ? 0 : p.weightCount > kSubDivMaxWeights ? kSubDivMaxWeights : p.weightCount;
  auto add = [&](int k, __m128 w) {
    const uint32_t i = uint32_t(p.indices[k]);
    if (i < size) s = _mm_add_ps(s, _mm_mul_ps(w, _mm_load_ps(values[i].v)));
  };
  // Four entries a turn, their weights loaded together and spread lane by lane: the terms and their
  // order are those of one entry a turn.
  int k = n - 1;
  for (; k >= 3; k -= 4) {
    const __m128 w = _mm_loadu_ps(&p.weights[k - 3]);
    add(k, _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3)));
    add(k - 1, _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2)));
    add(k - 2, _mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)));
    add(k - 3, _mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0)));
  }
  for (; k >= 0; --k) add(k, _mm_set1_ps(p.weights[k]));
  return s;
}
// The three low lanes stored as a Vector3f.
[[gnu::always_inline]] inline void StoreThree(Vector3f& to, __m128 s) {
  _mm_storel_pi(reinterpret_cast<__m64*>(&to.x), s);
  _mm_store_ss(&to.z, _mm_movehl_ps(s, s));
}

// Whether the wider forms below may run where the processor has them (SubDivGeometry::UseWideLanes).
std::atomic<bool> g_wideLanes{true};
bool UseAVX() {
  static const bool has = __builtin_cpu_supports("avx");
  return has && g_wideLanes.load(std::memory_order_relaxed);
}
bool UseAVX2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && g_wideLanes.load(std::memory_order_relaxed);
}

// Weighted sums of a run of points, into `to`. One form per instruction set.
using SumRun = void (*)(const SubDivPoint* points, int32_t count, const Lanes* values, uint32_t size, Vector3f* to);

void SumRunSSE2(const SubDivPoint* points, int32_t count, const Lanes* values, uint32_t size, Vector3f* to) {
  for (int32_t i = 0; i < count; ++i) StoreThree(to[i], WeightedSumLanes(points[i], values, size));
}

// Whether every index of the first n (at most 32) of `indices` lies below `size`: eight lanes at a time,
// lanes past n left out. The four eight-index loads stay within the record (the weights follow).
[[gnu::target("avx2")]] inline bool AllBelow(const int32_t* indices, int n, uint32_t size) {
  const __m256i bias = _mm256_set1_epi32(INT32_MIN), limit = _mm256_set1_epi32(int32_t(size) ^ INT32_MIN);
  const __m256i count = _mm256_set1_epi32(n), eight = _mm256_set1_epi32(8);
  __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), outside = _mm256_setzero_si256();
  for (int j = 0; j < n; j += 8) {
    const __m256i at = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(indices + j)), bias);
    // In the list and not below the size.
    outside =
        _mm256_or_si256(outside, _mm256_andnot_si256(_mm256_cmpgt_epi32(limit, at), _mm256_cmpgt_epi32(count, lane)));
    lane = _mm256_add_epi32(lane, eight);
  }
  return _mm256_testz_si256(outside, outside) != 0;
}

// SumRunSSE2's sums with each weight taken straight from the record into four lanes and, where a list's
// indices all lie below the size (every list a step makes), without a test per entry: the same terms
// added in the same order, so every bit is the same.
[[gnu::target("avx2")]] void SumRunAVX2(const SubDivPoint* points, int32_t count, const Lanes* values, uint32_t size,
                                        Vector3f* to) {
  for (int32_t i = 0; i < count; ++i) {
    const SubDivPoint& p = points[i];
    const int n = p.weightCount < 0 ? 0 : p.weightCount > kSubDivMaxWeights ? kSubDivMaxWeights : p.weightCount;
    if (!AllBelow(p.indices, n, size)) {
      StoreThree(to[i], WeightedSumLanes(p, values, size));
      continue;
    }
    __m128 s = _mm_setzero_ps();
    int k = n - 1;
    for (; k >= 3; k -= 4) {
      s = _mm_add_ps(s, _mm_mul_ps(_mm_broadcast_ss(&p.weights[k]), _mm_load_ps(values[p.indices[k]].v)));
      s = _mm_add_ps(s, _mm_mul_ps(_mm_broadcast_ss(&p.weights[k - 1]), _mm_load_ps(values[p.indices[k - 1]].v)));
      s = _mm_add_ps(s, _mm_mul_ps(_mm_broadcast_ss(&p.weights[k - 2]), _mm_load_ps(values[p.indices[k - 2]].v)));
      s = _mm_add_ps(s, _mm_mul_ps(_mm_broadcast_ss(&p.weights[k - 3]), _mm_load_ps(values[p.indices[k - 3]].v)));
    }
    for (; k >= 0; --k)
      s = _mm_add_ps(s, _mm_mul_ps(_mm_broadcast_ss(&p.weights[k]), _mm_load_ps(values[p.indices[k]].v)));
    StoreThree(to[i], s);
  }
}

SumRun ChooseSumRun() { return UseAVX2() ? SumRunAVX2 : SumRunSSE2; }
Vector3f WeightedSum(const SubDivPoint& p, const std::vector<Lanes>& values) {
  Vector3f r;
  StoreThree(r, WeightedSumLanes(p, values.data(), uint32_t(values.size())));
  return r;
}

// The plane normals at the four corners of a quad given by its corners' coordinates in lanes, corner k's
// that of (k - 1, k, k + 1), as Vector3f::SetPlaneNormal makes them: each lane does one corner's
// operations in the same order, and the vector square root and division round as the scalar ones do,
// so every bit is the same.
struct QuadLanes {
  __m128 x, y, z;
};
[[gnu::always_inline]] inline QuadLanes QuadCornerNormalLanes(__m128 x, __m128 y, __m128 z) {
  // Per lane k: the corner before k, and the one after.
  auto before = [](__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 1, 0, 3)); };
  auto after = [](__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 3, 2, 1)); };
  const __m128 bx = before(x), by = before(y), bz = before(z), fx = after(x), fy = after(y), fz = after(z);
  // The term of the edge (k - 1, k) is also corner k - 1's term of its edge (k, k + 1): the same operations
  // on the same values, so the second term is the first's of the lane after.
  const __m128 tx = _mm_mul_ps(_mm_sub_ps(by, y), _mm_add_ps(bz, z)),
               ty = _mm_mul_ps(_mm_sub_ps(bz, z), _mm_add_ps(bx, x)),
               tz = _mm_mul_ps(_mm_sub_ps(bx, x), _mm_add_ps(by, y));
  __m128 nx = _mm_add_ps(_mm_add_ps(_mm_setzero_ps(), tx), after(tx));
  __m128 ny = _mm_add_ps(_mm_add_ps(_mm_setzero_ps(), ty), after(ty));
  __m128 nz = _mm_add_ps(_mm_add_ps(_mm_setzero_ps(), tz), after(tz));
  nx = _mm_add_ps(nx, _mm_mul_ps(_mm_sub_ps(fy, by), _mm_add_ps(fz, bz)));
  ny = _mm_add_ps(ny, _mm_mul_ps(_mm_sub_ps(fz, bz), _mm_add_ps(fx, bx)));
  nz = _mm_add_ps(nz, _mm_mul_ps(_mm_sub_ps(fx, bx), _mm_add_ps(fy, by)));
  const __m128 l2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz));
  const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(l2));
  // Inside the unit band the sum stays as it is: there it is finite, so its product by 1 is itself (nothing
  // here sets flush-to-zero), and one factor per lane does the choice.
  const __m128 keep =
      _mm_and_ps(_mm_cmpge_ps(l2, _mm_set1_ps(kUnitBandLow)), _mm_cmple_ps(l2, _mm_set1_ps(kUnitBandHigh)));
  const __m128 factor = _mm_or_ps(_mm_and_ps(keep, _mm_set1_ps(1.0f)), _mm_andnot_ps(keep, inv));
  return {_mm_mul_ps(nx, factor), _mm_mul_ps(ny, factor), _mm_mul_ps(nz, factor)};
}

// The same for four corner positions given one by one.
void QuadCornerNormals(const Vector3f& p0, const Vector3f& p1, const Vector3f& p2, const Vector3f& p3,
                       Vector3f (&out)[4]) {
  const QuadLanes n = QuadCornerNormalLanes(_mm_setr_ps(p0.x, p1.x, p2.x, p3.x), _mm_setr_ps(p0.y, p1.y, p2.y, p3.y),
                                            _mm_setr_ps(p0.z, p1.z, p2.z, p3.z));
  alignas(16) float rx[4], ry[4], rz[4];
  _mm_store_ps(rx, n.x);
  _mm_store_ps(ry, n.y);
  _mm_store_ps(rz, n.z);
  for (int k = 0; k < 4; ++k) out[k] = {rx[k], ry[k], rz[k]};
}

// A quad's corner normals added to the sums of its corner points c[0..3], in corner order, where every
// point has another after it: each point's three floats and the next point's x are read and written as
// one four-float value, the fourth lane adding -0, which leaves every float as it is (x + -0 is x for
// every x, signed zeros and NaN included, in the default rounding), so the sums are those of adding
// component by component. The positions are read the same way, their fourth lane unused.
[[gnu::always_inline]] inline void AddQuadCornerNormals(const Vector3f* position, Vector3f* sum, const int32_t* c) {
  const __m128 p0 = _mm_loadu_ps(&position[c[0]].x), p1 = _mm_loadu_ps(&position[c[1]].x),
               p2 = _mm_loadu_ps(&position[c[2]].x), p3 = _mm_loadu_ps(&position[c[3]].x);
  const __m128 xy01 = _mm_unpacklo_ps(p0, p1), xy23 = _mm_unpacklo_ps(p2, p3);
  const __m128 zw01 = _mm_unpackhi_ps(p0, p1), zw23 = _mm_unpackhi_ps(p2, p3);
  const QuadLanes n =
      QuadCornerNormalLanes(_mm_movelh_ps(xy01, xy23), _mm_movehl_ps(xy23, xy01), _mm_movelh_ps(zw01, zw23));
  const __m128 minusZero = _mm_set1_ps(-0.0f);
  const __m128 xy = _mm_unpacklo_ps(n.x, n.y), xy2 = _mm_unpackhi_ps(n.x, n.y);
  const __m128 zw = _mm_unpacklo_ps(n.z, minusZero), zw2 = _mm_unpackhi_ps(n.z, minusZero);
  const __m128 v[4] = {_mm_movelh_ps(xy, zw), _mm_movehl_ps(zw, xy), _mm_movelh_ps(xy2, zw2), _mm_movehl_ps(zw2, xy2)};
  for (int k = 0; k < 4; ++k) {
    float* const s = &sum[c[k]].x;
    _mm_storeu_ps(s, _mm_add_ps(_mm_loadu_ps(s), v[k]));
  }
}

// A run of rows of the corner table, from row f down, each of four points below `last` (the caller has
// checked row f): every quad's corner normals added to its points' sums as AddQuadCornerNormals adds
// them, quad by quad from the last. Returns the first row below the run. One form per instruction set.
using QuadRun = int32_t (*)(const int32_t* corners, int32_t f, const Vector3f* position, Vector3f* sum, uint32_t last);

// Whether a corner-table row holds four points below `last`: one unsigned comparison in four lanes.
[[gnu::always_inline]] inline bool WholeQuad(const int32_t* row, __m128i lastBiased) {
  const __m128i bias = _mm_set1_epi32(INT32_MIN);
  const __m128i at = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row)), bias);
  return _mm_movemask_epi8(_mm_cmplt_epi32(at, lastBiased)) == 0xFFFF;
}
[[gnu::always_inline]] inline __m128i Biased(uint32_t last) { return _mm_set1_epi32(int32_t(last) ^ INT32_MIN); }

int32_t QuadRunSSE2(const int32_t* corners, int32_t f, const Vector3f* position, Vector3f* sum, uint32_t last) {
  const __m128i lastBiased = Biased(last);
  do {
    const int32_t* const row = corners + size_t(f) * 4;
    // In locals: read through the table, each store of a sum had the next corner read again.
    const int32_t q[4] = {row[0], row[1], row[2], row[3]};
    AddQuadCornerNormals(position, sum, q);
    --f;
  } while (f >= 0 && WholeQuad(corners + size_t(f) * 4, lastBiased));
  return f;
}

// Two quads' corner normals in the two halves of eight-float values: each half does the operations of
// QuadCornerNormalLanes in their order (the halves never mix, and the build's target has no fused
// multiply-add here either), so every bit is that of one quad at a time. Then the first quad's normals go
// onto their sums before the second's, as two turns of AddQuadCornerNormals.
// Eight-float helpers for AddTwoQuadsCornerNormals, each working on the two halves apart.
// The low pair of floats of each half of x, then that of y.
[[gnu::target("avx")]] inline __m256 LowPairs(__m256 x, __m256 y) {
  return _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(x), _mm256_castps_pd(y)));
}
[[gnu::target("avx")]] inline __m256 HighPairs(__m256 x, __m256 y) {
  return _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(x), _mm256_castps_pd(y)));
}
// Per lane k of each half: the corner before k, and the one after.
[[gnu::target("avx")]] inline __m256 Before(__m256 v) { return _mm256_shuffle_ps(v, v, _MM_SHUFFLE(2, 1, 0, 3)); }
[[gnu::target("avx")]] inline __m256 After(__m256 v) { return _mm256_shuffle_ps(v, v, _MM_SHUFFLE(0, 3, 2, 1)); }

[[gnu::target("avx")]] inline void AddTwoQuadsCornerNormals(const Vector3f* position, Vector3f* sum, const int32_t* a,
                                                            const int32_t* b) {
  __m256 p[4];
  for (int k = 0; k < 4; ++k)
    p[k] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(&position[a[k]].x)),
                                _mm_loadu_ps(&position[b[k]].x), 1);
  const __m256 xy01 = _mm256_unpacklo_ps(p[0], p[1]), xy23 = _mm256_unpacklo_ps(p[2], p[3]);
  const __m256 zw01 = _mm256_unpackhi_ps(p[0], p[1]), zw23 = _mm256_unpackhi_ps(p[2], p[3]);
  const __m256 x = LowPairs(xy01, xy23), y = HighPairs(xy01, xy23), z = LowPairs(zw01, zw23);
  // As in QuadCornerNormalLanes: the second term is the first's of the lane after.
  const __m256 bx = Before(x), by = Before(y), bz = Before(z), fx = After(x), fy = After(y), fz = After(z);
  const __m256 tx = _mm256_mul_ps(_mm256_sub_ps(by, y), _mm256_add_ps(bz, z)),
               ty = _mm256_mul_ps(_mm256_sub_ps(bz, z), _mm256_add_ps(bx, x)),
               tz = _mm256_mul_ps(_mm256_sub_ps(bx, x), _mm256_add_ps(by, y));
  const __m256 zero = _mm256_setzero_ps();
  __m256 nx = _mm256_add_ps(_mm256_add_ps(zero, tx), After(tx));
  __m256 ny = _mm256_add_ps(_mm256_add_ps(zero, ty), After(ty));
  __m256 nz = _mm256_add_ps(_mm256_add_ps(zero, tz), After(tz));
  nx = _mm256_add_ps(nx, _mm256_mul_ps(_mm256_sub_ps(fy, by), _mm256_add_ps(fz, bz)));
  ny = _mm256_add_ps(ny, _mm256_mul_ps(_mm256_sub_ps(fz, bz), _mm256_add_ps(fx, bx)));
  nz = _mm256_add_ps(nz, _mm256_mul_ps(_mm256_sub_ps(fx, bx), _mm256_add_ps(fy, by)));
  const __m256 l2 = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(nx, nx), _mm256_mul_ps(ny, ny)), _mm256_mul_ps(nz, nz));
  const __m256 inv = _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_sqrt_ps(l2));
  const __m256 keep = _mm256_and_ps(_mm256_cmp_ps(l2, _mm256_set1_ps(kUnitBandLow), _CMP_GE_OS),
                                    _mm256_cmp_ps(l2, _mm256_set1_ps(kUnitBandHigh), _CMP_LE_OS));
  const __m256 factor = _mm256_or_ps(_mm256_and_ps(keep, _mm256_set1_ps(1.0f)), _mm256_andnot_ps(keep, inv));
  const __m256 mx = _mm256_mul_ps(nx, factor), my = _mm256_mul_ps(ny, factor), mz = _mm256_mul_ps(nz, factor);
  const __m256 minusZero = _mm256_set1_ps(-0.0f);
  const __m256 xy = _mm256_unpacklo_ps(mx, my), xy2 = _mm256_unpackhi_ps(mx, my);
  const __m256 zw = _mm256_unpacklo_ps(mz, minusZero), zw2 = _mm256_unpackhi_ps(mz, minusZero);
  const __m256 v[4] = {LowPairs(xy, zw), HighPairs(xy, zw), LowPairs(xy2, zw2), HighPairs(xy2, zw2)};
  for (int k = 0; k < 4; ++k) {
    float* const s = &sum[a[k]].x;
    _mm_storeu_ps(s, _mm_add_ps(_mm_loadu_ps(s), _mm256_castps256_ps128(v[k])));
  }
  for (int k = 0; k < 4; ++k) {
    float* const s = &sum[b[k]].x;
    _mm_storeu_ps(s, _mm_add_ps(_mm_loadu_ps(s), _mm256_extractf128_ps(v[k], 1)));
  }
}

[[gnu::target("avx")]] int32_t QuadRunAVX(const int32_t* corners, int32_t f, const Vector3f* position, Vector3f* sum,
                                          uint32_t last) {
  const __m128i lastBiased = Biased(last);
  for (;;) {
    const int32_t* const row = corners + size_t(f) * 4;
    const int32_t q[4] = {row[0], row[1], row[2], row[3]};
    if (f == 0 || !WholeQuad(row - 4, lastBiased)) {
      AddQuadCornerNormals(position, sum, q);
      return f - 1;
    }
    const int32_t r[4] = {row[-4], row[-3], row[-2], row[-1]};
    AddTwoQuadsCornerNormals(position, sum, q, r);
    f -= 2;
    if (f < 0 || !WholeQuad(corners + size_t(f) * 4, lastBiased)) return f;
  }
}

QuadRun ChooseQuadRun() { return UseAVX() ? QuadRunAVX : QuadRunSSE2; }

// Four points' normal sums (twelve floats from `v`) negated and, outside the unit band, brought to unit
// length, as the loop over single points does: each lane does one point's operations in their order
// (x * x + y * y, then + z * z; one division by the square root; a product per component), so every bit
// is the same. A point on no face keeps the zero normal rather than becoming NaN.
[[gnu::always_inline]] inline void FinishFourNormals(float* v) {
  const __m128 sign = _mm_set1_ps(-0.0f);
  // x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3
  const __m128 r[3] = {_mm_xor_ps(_mm_loadu_ps(v), sign), _mm_xor_ps(_mm_loadu_ps(v + 4), sign),
                       _mm_xor_ps(_mm_loadu_ps(v + 8), sign)};
  const __m128 s0 = _mm_mul_ps(r[0], r[0]), s1 = _mm_mul_ps(r[1], r[1]), s2 = _mm_mul_ps(r[2], r[2]);
  const __m128 xx = _mm_shuffle_ps(s0, _mm_shuffle_ps(s1, s2, _MM_SHUFFLE(1, 1, 2, 2)), _MM_SHUFFLE(2, 0, 3, 0));
  const __m128 yy = _mm_shuffle_ps(_mm_shuffle_ps(s0, s1, _MM_SHUFFLE(0, 0, 1, 1)),
                                   _mm_shuffle_ps(s1, s2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
  const __m128 zz = _mm_shuffle_ps(_mm_shuffle_ps(s0, s1, _MM_SHUFFLE(1, 1, 2, 2)), s2, _MM_SHUFFLE(3, 0, 2, 0));
  const __m128 len2 = _mm_add_ps(_mm_add_ps(xx, yy), zz);
  const __m128 scale = _mm_and_ps(
      _mm_cmpgt_ps(len2, _mm_setzero_ps()),
      _mm_or_ps(_mm_cmplt_ps(len2, _mm_set1_ps(kUnitBandLow)), _mm_cmpgt_ps(len2, _mm_set1_ps(kUnitBandHigh))));
  const __m128 inv = _mm_div_ps(_mm_set1_ps(1.0f), _mm_sqrt_ps(len2));
  // A sum left as it is goes through a product by 1, which gives every value back (sums are never
  // signalling NaN, and nothing here sets flush-to-zero): one factor per point does the choice.
  const __m128 factor = _mm_or_ps(_mm_and_ps(scale, inv), _mm_andnot_ps(scale, _mm_set1_ps(1.0f)));
  // Each point's factor spread over its three floats.
  const __m128 f[3] = {_mm_shuffle_ps(factor, factor, _MM_SHUFFLE(1, 0, 0, 0)),
                       _mm_shuffle_ps(factor, factor, _MM_SHUFFLE(2, 2, 1, 1)),
                       _mm_shuffle_ps(factor, factor, _MM_SHUFFLE(3, 3, 3, 2))};
  for (int j = 0; j < 3; ++j) _mm_storeu_ps(v + 4 * j, _mm_mul_ps(r[j], f[j]));
}

// The normal sums of points [0, n) finished four at a time (FinishFourNormals); returns how many were
// (n rounded down to a multiple of four). One form per instruction set.
using FinishRun = int32_t (*)(Vector3f* sum, int32_t n);

int32_t FinishRunSSE2(Vector3f* sum, int32_t n) {
  int32_t done = 0;
  for (; done + 4 <= n; done += 4) FinishFourNormals(&sum[done].x);
  return done;
}

// Eight points at a time: the first four in the low halves of eight-float values, the next four in the high
// halves, each half doing FinishFourNormals' operations (whose shuffles stay within a half).
[[gnu::target("avx")]] inline void FinishEightNormals(float* v) {
  const __m256 sign = _mm256_set1_ps(-0.0f);
  __m256 r[3];
  for (int j = 0; j < 3; ++j)
    r[j] = _mm256_xor_ps(
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(v + 4 * j)), _mm_loadu_ps(v + 12 + 4 * j), 1), sign);
  const __m256 s0 = _mm256_mul_ps(r[0], r[0]), s1 = _mm256_mul_ps(r[1], r[1]), s2 = _mm256_mul_ps(r[2], r[2]);
  const __m256 xx = _mm256_shuffle_ps(s0, _mm256_shuffle_ps(s1, s2, _MM_SHUFFLE(1, 1, 2, 2)), _MM_SHUFFLE(2, 0, 3, 0));
  const __m256 yy = _mm256_shuffle_ps(_mm256_shuffle_ps(s0, s1, _MM_SHUFFLE(0, 0, 1, 1)),
                                      _mm256_shuffle_ps(s1, s2, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
  const __m256 zz = _mm256_shuffle_ps(_mm256_shuffle_ps(s0, s1, _MM_SHUFFLE(1, 1, 2, 2)), s2, _MM_SHUFFLE(3, 0, 2, 0));
  const __m256 len2 = _mm256_add_ps(_mm256_add_ps(xx, yy), zz);
  const __m256 scale = _mm256_and_ps(_mm256_cmp_ps(len2, _mm256_setzero_ps(), _CMP_GT_OS),
                                     _mm256_or_ps(_mm256_cmp_ps(len2, _mm256_set1_ps(kUnitBandLow), _CMP_LT_OS),
                                                  _mm256_cmp_ps(len2, _mm256_set1_ps(kUnitBandHigh), _CMP_GT_OS)));
  const __m256 inv = _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_sqrt_ps(len2));
  const __m256 factor = _mm256_or_ps(_mm256_and_ps(scale, inv), _mm256_andnot_ps(scale, _mm256_set1_ps(1.0f)));
  const __m256 f[3] = {_mm256_shuffle_ps(factor, factor, _MM_SHUFFLE(1, 0, 0, 0)),
                       _mm256_shuffle_ps(factor, factor, _MM_SHUFFLE(2, 2, 1, 1)),
                       _mm256_shuffle_ps(factor, factor, _MM_SHUFFLE(3, 3, 3, 2))};
  for (int j = 0; j < 3; ++j) {
    const __m256 out = _mm256_mul_ps(r[j], f[j]);
    _mm_storeu_ps(v + 4 * j, _mm256_castps256_ps128(out));
    _mm_storeu_ps(v + 12 + 4 * j, _mm256_extractf128_ps(out, 1));
  }
}

[[gnu::target("avx")]] int32_t FinishRunAVX(Vector3f* sum, int32_t n) {
  int32_t done = 0;
  for (; done + 8 <= n; done += 8) FinishEightNormals(&sum[done].x);
  if (done + 4 <= n) {
    FinishFourNormals(&sum[done].x);
    done += 4;
  }
  return done;
}

FinishRun ChooseFinishRun() { return UseAVX() ? FinishRunAVX : FinishRunSSE2; }

}  // namespace

namespace {

// Sets the count of `a` (new elements zeroed) with its room from the thread's store, to which it comes back
// when the caller lets it go: the caller keeps these arrays, and fresh ones were paged in anew on every
// evaluation after the allocator gave the last ones back to the system.
template <class T>
void SizeKept(Array<T>& a, int32_t count) {
  if (a.Capacity() < count) ReserveReturningSubDivScratch(a, count);
  a.SetCount(count);
}
template <class T>
void FillKept(Array<T>& a, int32_t count, const T& fill) {
  if (a.Capacity() < count) ReserveReturningSubDivScratch(a, count);
  a.SetCountFill(count, fill);
}

// Positions and morph channels point by point, into arrays sized for the level first.
class PositionEvaluator final : public SubDivPointSink {
 public:
  PositionEvaluator(int32_t points, const SubDivData& baseData, SubDivData& out)
      : m_positions(Widened(baseData.positions)), m_out(out) {
    out.vertexCount = points;
    SizeKept(out.positions, points);
    out.vectorChannels.resize(baseData.vectorChannels.size());
    for (Array<Vector3f>& ch : out.vectorChannels) SizeKept(ch, points);
    for (const Array<Vector3f>& ch : baseData.vectorChannels) m_channels.push_back(Widened(ch));
  }
  void Take(int32_t i, const SubDivPoint& p) override {
    m_out.positions[i] = WeightedSum(p, m_positions);
    for (size_t c = 0; c < m_channels.size(); ++c) m_out.vectorChannels[c][i] = WeightedSum(p, m_channels[c]);
  }
  // The positions of a run through plain pointers taken once: built without strict aliasing, each
  // point's store had the next point fetch the arrays' addresses again.
  void TakeRun(int32_t first, const SubDivPoint* points, int32_t count) override {
    const Lanes* const values = m_positions.data();
    const uint32_t size = uint32_t(m_positions.size());
    Vector3f* const to = m_out.positions.Data() + first;
    m_sumRun(points, count, values, size, to);
    for (size_t c = 0; c < m_channels.size(); ++c) {
      const Lanes* const channel = m_channels[c].data();
      const uint32_t channelSize = uint32_t(m_channels[c].size());
      Vector3f* const deltas = m_out.vectorChannels[c].Data() + first;
      for (int32_t i = 0; i < count; ++i) StoreThree(deltas[i], WeightedSumLanes(points[i], channel, channelSize));
    }
  }

 private:
  const SumRun m_sumRun = ChooseSumRun();
  std::vector<Lanes> m_positions;
  std::vector<std::vector<Lanes>> m_channels;
  SubDivData& m_out;
};

}  // namespace

void SubDivGeometry::UseWideLanes(bool wide) { g_wideLanes.store(wide, std::memory_order_relaxed); }
bool SubDivGeometry::UsesAVX2() { return UseAVX2(); }

void SubDivGeometry::EvaluatePositions(const SubDivStructure& last, const SubDivData& baseData, SubDivData& out) {
  PositionEvaluator evaluate(last.Points.Count(), baseData, out);
  for (int32_t i = 0; i < last.Points.Count(); ++i) evaluate.Take(i, last.Points[i]);
}

namespace {

// Float channels take the bilinear (or, on a base triangle, barycentric) blend of the base face's
// corner values at the point's parameter; a point on no face gets 0.
void EvaluateFloats(const SubDivStructure& base, const SubDivStructure& last, const SubDivData& baseData,
                    SubDivData& out) {
  const int32_t n = last.Points.Count();
  out.floatChannels.resize(baseData.floatChannels.size());
  for (size_t c = 0; c < out.floatChannels.size(); ++c) {
    out.floatChannels[c].Clear();
    FillKept(out.floatChannels[c], n, 0.0f);
  }
  if (out.floatChannels.empty()) return;
  // A parameter outside the table weighs nothing; its error is logged once for the evaluation, naming
  // the first such value, where a level full of them would log a line for every point.
  bool unlistedLogged = false;
  const Vector4f* const table = SubDivParamTable::Entries();
  for (int32_t i = 0; i < n; ++i) {
    const SubDivPoint& p = last.Points[i];
    if (p.faceCount == 0) continue;
    const int32_t f = p.faces[0] >> 2, corner = p.faces[0] & 3;
    if (f < 0 || f >= last.Faces.Count()) continue;
    const SubDivFace& face = last.Faces[f];
    if (face.sourceFace < 0 || face.sourceFace >= base.Faces.Count()) continue;
    const SubDivFace& bf = base.Faces[face.sourceFace];
    if (!bf.IsValid()) continue;
    const int32_t param = face.params[corner];
    Vector4f w{0.0f, 0.0f, 0.0f, 0.0f};
    if (uint32_t(param) < uint32_t(SubDivParamTable::kEntries)) {
      w = table[param];
    } else if (!unlistedLogged) {
      unlistedLogged = true;
      LogError("SubDivParamTable: parameter ", param, " out of range.");
    }
    const float wk[4] = {w.x, w.y, w.z, w.w};
    for (size_t c = 0; c < out.floatChannels.size(); ++c) {
      const Array<float>& src = baseData.floatChannels[c];
      float v = 0.0f;
      for (int k = 0, nk = bf.CornerCount(); k < nk; ++k) {
        const int32_t b = base.Corner(bf, k);
        if (b >= 0 && b < src.Count()) v += wk[k] * src[b];
      }
      out.floatChannels[c][i] = v;
    }
  }
}

bool IsStatic(const Obj<ScriptObject>& control) {
  return !control.IsNil() && control->IsA(ClassId::BlendControl) &&
         MemberGet<VI32>(control.Get(), kMemberStaticBlend) > 0;
}

}  // namespace

bool AssignSubDivToGeometry(const SubDivStructure& base, SubDivStructure& last, const SubDivData& baseData,
                            const String& name, SubDivData& out, SubDivLevelChecked* checked) {
  const SubDivScratchCall call;
  LogDebug("SubDiv: AssignSubDivToGeometry ", name, ".");
  SubDivParamTable::Build();
  // The positions are summed as the adjacency pass writes each record, which saves a sweep of its own
  // over the level; a level the pass refuses is still evaluated.
  PositionEvaluator evaluate(last.Points.Count(), baseData, out);
  // With a word, the pass marks it for the nodes (the pass writes only the points' adjacency, which
  // neither the check nor the corner table reads), or clears it when it refused the level.
  const bool passed = checked ? last.UpdateVertexAdjacency(&evaluate, *checked) : last.UpdateVertexAdjacency(&evaluate);
  if (!passed)
    for (int32_t i = 0; i < last.Points.Count(); ++i) evaluate.Take(i, last.Points[i]);
  FillKept(out.normals, out.vertexCount, Vector3f{0, 0, 0});
  out.texCoordChannels.resize(baseData.texCoordChannels.size());
  for (Array<Vector2f>& ch : out.texCoordChannels) FillKept(ch, out.vertexCount, kZeroVector2f);
  EvaluateFloats(base, last, baseData, out);
  out.normalDeltas.resize(out.vectorChannels.size());
  return true;
}

void SubDivGeometry::ComputeNormals(const SubDivStructure& s, const SubDivData& data, const Array<Vector3f>& positions,
                                    bool copyToSeams, Array<Vector3f>& normals, const int32_t* corners) {
  const int32_t n = positions.Count();
  // A block with room that nothing else holds is zeroed where it lies: a fresh one is paged in anew.
  if (normals.Capacity() >= n && BlockRefCount(normals.Data()) == 1)
    normals.SetCount(0);
  else
    normals.Clear();
  FillKept(normals, n, Vector3f{0, 0, 0});
  // Plain pointers: the sums' stores would otherwise have each look-up fetch the arrays' pointers again.
  const Vector3f* const position = positions.Data();
  Vector3f* const sum = normals.Data();
  // Points below `last` have another after them (see AddQuadCornerNormals).
  const uint32_t last = n > 0 ? uint32_t(n - 1) : 0;
  auto at = [&](int32_t i) -> const Vector3f& {
    static const Vector3f kZero{0, 0, 0};
    return uint32_t(i) < uint32_t(n) ? position[i] : kZero;
  };
  auto add = [&](int32_t i, const Vector3f& v) {
    if (uint32_t(i) >= uint32_t(n)) return;
    sum[i].x += v.x;
    sum[i].y += v.y;
    sum[i].z += v.z;
  };
  // With the corner table, a run of rows of four points below `last` is taken whole as quads, two at a
  // time where the processor has eight-float lanes; any other row goes the way below.
  const __m128i lastBiased = Biased(last);
  const QuadRun quadRun = ChooseQuadRun();
  for (int32_t f = s.Faces.Count() - 1; f >= 0; --f) {
    // The corner table tells skipped faces and triangles itself, so the face records stay unread.
    int32_t c[4];
    int nc;
    if (corners) {
      if (WholeQuad(corners + size_t(f) * 4, lastBiased)) {
        f = quadRun(corners, f, position, sum, last) + 1;  // the loop's step brings f to the row after the run
        continue;
      }
      for (int k = 0; k < 4; ++k) c[k] = corners[size_t(f) * 4 + size_t(k)];
      nc = c[0] < 0 ? 0 : c[3] < 0 ? 3 : 4;
    } else {
      const SubDivFace& face = s.Faces[f];
      nc = face.IsValid() ? face.CornerCount() : 0;
      for (int k = 0; k < nc; ++k) {
        const int32_t e = EdgeOf(face.edges[k]);
        c[k] = e >= 0 && e < s.Edges.Count() ? s.Corner(face, k) : -1;
      }
    }
    if (nc == 0) continue;
    if (nc == 4 && uint32_t(c[0]) < last && uint32_t(c[1]) < last && uint32_t(c[2]) < last && uint32_t(c[3]) < last) {
      AddQuadCornerNormals(position, sum, c);
      continue;
    }
    if (nc == 3) {
      Vector3f pn;
      pn.SetPlaneNormal(at(c[0]), at(c[1]), at(c[2]));
      for (int k = 0; k < 3; ++k) add(c[k], pn);
    } else {
      Vector3f pn[4];
      QuadCornerNormals(at(c[0]), at(c[1]), at(c[2]), at(c[3]), pn);
      for (int k = 0; k < 4; ++k) add(c[k], pn[k]);
    }
  }
  const int32_t done = ChooseFinishRun()(sum, n);
  for (Vector3f& v : std::span(sum + done, size_t(n - done))) {
    v = {-v.x, -v.y, -v.z};
    const float len2 = v.x * v.x + v.y * v.y + v.z * v.z;
    // A point on no face keeps the zero normal rather than becoming NaN.
    if (len2 > 0.0f && (len2 < kUnitBandLow || len2 > kUnitBandHigh)) {
      const float r = 1.0f / std::sqrt(len2);
      v = {v.x * r, v.y * r, v.z * r};
    }
  }
  if (!copyToSeams) return;
  for (int32_t i = 0; i < data.chain.Count() && i < n; ++i) {
    const int32_t to = data.chain[i];
    if (to >= 0 && to < n) normals[to] = normals[i];
  }
}

void SubDivGeometry::EvaluateWithMorphs(const SubDivStructure& s, const SubDivData& baseData, SubDivData& out,
                                        bool copyToSeams, const int32_t* corners) {
  ComputeNormals(s, out, out.positions, copyToSeams, out.normals, corners);
  out.normalDeltas.resize(out.vectorChannels.size());
  Array<Vector3f> morphed;
  for (int c = int(out.vectorChannels.size()) - 1; c >= 0; --c) {
    Array<Vector3f>& deltas = out.normalDeltas[size_t(c)];
    deltas.Clear();
    if (size_t(c) >= baseData.vectorSources.size() || !IsStatic(baseData.vectorSources[size_t(c)])) continue;
    const Array<Vector3f>& d = out.vectorChannels[size_t(c)];
    morphed = out.positions;
    for (int32_t i = 0; i < morphed.Count() && i < d.Count(); ++i) {
      morphed[i].x += d[i].x;
      morphed[i].y += d[i].y;
      morphed[i].z += d[i].z;
    }
    ComputeNormals(s, out, morphed, copyToSeams, deltas, corners);
    for (int32_t i = 0; i < deltas.Count(); ++i) {
      deltas[i].x -= out.normals[i].x;
      deltas[i].y -= out.normals[i].y;
      deltas[i].z -= out.normals[i].z;
    }
  }
}

}  // namespace PM
