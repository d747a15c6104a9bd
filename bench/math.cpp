// The math value types against the same formulas written over plain structs, in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "core/Frustum.h"
#include "core/Matrix4f.h"
#include "core/Quaternionf.h"

namespace {

using namespace PM;

// The library's operations are calls into the shared library, so the plain versions of those are kept
// out of line too (PM_CALL); TransformPoint is inline on both sides. InverseAffinePlainInlined shows
// what the call boundary itself costs.
#define PM_CALL __attribute__((noinline))

namespace plain {
struct M {
  float m[16];
};
struct V {
  float x, y, z;
};
struct Q {
  float x, y, z, w;
};
struct S {
  V c;
  float r;
};
struct P {
  float a, b, c, d;
};

PM_CALL void Product(M& out, const M& a, const M& b) {
  M r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[4 * i + j] = a.m[4 * i] * b.m[j] + a.m[4 * i + 1] * b.m[4 + j] + a.m[4 * i + 2] * b.m[8 + j] +
                       a.m[4 * i + 3] * b.m[12 + j];
  out = r;
}

inline bool InverseAffineInlined(M& out, const M& src) {
  const float* a = src.m;
  const float t[6] = {a[0] * a[5] * a[10], a[1] * a[6] * a[8],   a[2] * a[4] * a[9],
                      -a[2] * a[5] * a[8], -a[1] * a[4] * a[10], -a[0] * a[6] * a[9]};
  float pos = 0, neg = 0;
  for (float x : t) {
    pos += std::max(x, 0.0f);
    neg += std::min(x, 0.0f);
  }
  float det = pos + neg;
  if (det == 0 || !(std::fabs(det / (pos - neg)) >= 1.1920929e-7f)) return false;
  float inv = 1 / det;
  M r;
  r.m[0] = (a[5] * a[10] - a[6] * a[9]) * inv;
  r.m[1] = -(a[1] * a[10] - a[2] * a[9]) * inv;
  r.m[2] = (a[1] * a[6] - a[2] * a[5]) * inv;
  r.m[4] = -(a[4] * a[10] - a[6] * a[8]) * inv;
  r.m[5] = (a[0] * a[10] - a[2] * a[8]) * inv;
  r.m[6] = -(a[0] * a[6] - a[2] * a[4]) * inv;
  r.m[8] = (a[4] * a[9] - a[5] * a[8]) * inv;
  r.m[9] = -(a[0] * a[9] - a[1] * a[8]) * inv;
  r.m[10] = (a[0] * a[5] - a[1] * a[4]) * inv;
  for (int j = 0; j < 3; ++j) r.m[12 + j] = -(a[12] * r.m[j] + a[13] * r.m[4 + j] + a[14] * r.m[8 + j]);
  r.m[3] = r.m[7] = r.m[11] = 0;
  r.m[15] = 1;
  out = r;
  return true;
}
PM_CALL bool InverseAffine(M& out, const M& src) { return InverseAffineInlined(out, src); }

PM_CALL void Slerp(Q& out, const Q& a, const Q& b, float t) {
  float c = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  Q e = b;
  if (c < 0) c = -c, e = {-b.x, -b.y, -b.z, -b.w};
  float wa, wb;
  if (c >= 0.9999988f) {
    wa = 1 - t, wb = t;
  } else {
    float th = std::acos(c), s = std::sin(th);
    wa = std::sin((1 - t) * th) / s, wb = std::sin(t * th) / s;
  }
  out = {wa * a.x + wb * e.x, wa * a.y + wb * e.y, wa * a.z + wb * e.z, wa * a.w + wb * e.w};
}

void TransformPoint(V& o, const V& p, const M& m) {
  const float* a = m.m;
  o = {p.x * a[0] + p.y * a[4] + p.z * a[8] + a[12], p.x * a[1] + p.y * a[5] + p.z * a[9] + a[13],
       p.x * a[2] + p.y * a[6] + p.z * a[10] + a[14]};
}

// The plane pass of the cull; the rare edge and corner case defers to the library's exact test.
PM_CALL int Cull(const P* planes, const S& s, const Frustum& f) {
  if (!(s.r >= 0)) return 63;
  if (s.r >= 1e10f) return 0;
  int out = 0;
  for (int i = 0; i < 6; ++i) {
    float d = planes[i].a * s.c.x + planes[i].b * s.c.y + planes[i].c * s.c.z + planes[i].d;
    if (d < -s.r) return 1 << i;
    if (d < 0) out |= 1 << i;
  }
  if ((out & (out - 1)) == 0) return 0;
  return f.CullFrustum({{s.c.x, s.c.y, s.c.z}, s.r});
}
}  // namespace plain

std::vector<Matrix4f> RandomMatrices(int n) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> u(-1, 1);
  std::vector<Matrix4f> ms(n);
  for (Matrix4f& m : ms) {
    Matrix4f s;
    Matrix4fC::MakeRotation(m, {u(rng) * 3, u(rng) * 3, u(rng) * 3}, 0);
    s.SetScale({2 + u(rng), 2 + u(rng), 2 + u(rng)});
    m.SetProduct(s, m);
    m.SetRow(3, {u(rng) * 10, u(rng) * 10, u(rng) * 10});
  }
  return ms;
}

constexpr int kMatrices = 1024;
constexpr int kMillion = 1000000;

template <class Mat, class F>
void RunProduct(benchmark::State& state, F product) {
  auto src = RandomMatrices(kMatrices);
  std::vector<Mat> ms(reinterpret_cast<Mat*>(src.data()), reinterpret_cast<Mat*>(src.data()) + kMatrices);
  std::vector<Mat> out(kMatrices);
  for (auto _ : state) {
    for (int i = 1; i < kMatrices; ++i) product(out[i], ms[i - 1], ms[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * (kMatrices - 1));
}
void MatrixProduct(benchmark::State& s) {
  RunProduct<Matrix4f>(s, [](Matrix4f& o, const Matrix4f& a, const Matrix4f& b) { o.SetProduct(a, b); });
}
void MatrixProductPlain(benchmark::State& s) { RunProduct<plain::M>(s, plain::Product); }

template <class Mat, class F>
void RunInverse(benchmark::State& state, F inverse) {
  auto src = RandomMatrices(kMatrices);
  const Mat* ms = reinterpret_cast<const Mat*>(src.data());
  std::vector<Mat> out(kMatrices);
  for (auto _ : state) {
    for (int i = 0; i < kMatrices; ++i) benchmark::DoNotOptimize(inverse(out[i], ms[i]));
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kMatrices);
}
void InverseAffine(benchmark::State& s) {
  RunInverse<Matrix4f>(s, [](Matrix4f& o, const Matrix4f& m) { return o.SetInverseAffine(m); });
}
void InverseAffinePlain(benchmark::State& s) { RunInverse<plain::M>(s, plain::InverseAffine); }
void InverseAffinePlainInlined(benchmark::State& s) { RunInverse<plain::M>(s, plain::InverseAffineInlined); }

template <class Quat, class F>
void RunSlerp(benchmark::State& state, F slerp) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> u(-1, 1);
  std::vector<Quaternionf> src(kMatrices);
  for (Quaternionf& q : src) {
    q = {u(rng), u(rng), u(rng), u(rng)};
    q.Normalize();
  }
  const Quat* qs = reinterpret_cast<const Quat*>(src.data());
  Quat out;
  for (auto _ : state) {
    for (int i = 1; i < kMatrices; ++i) {
      slerp(out, qs[i - 1], qs[i], 0.37f);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(state.iterations() * (kMatrices - 1));
}
void Slerp(benchmark::State& s) {
  RunSlerp<Quaternionf>(
      s, [](Quaternionf& o, const Quaternionf& a, const Quaternionf& b, float t) { o.SetSlerp(a, b, t, 1); });
}
void SlerpPlain(benchmark::State& s) { RunSlerp<plain::Q>(s, plain::Slerp); }

template <class Vec, class Mat, class F>
void RunTransform(benchmark::State& state, F transform) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(-100, 100);
  std::vector<Vec> in(kMillion), out(kMillion);
  for (Vec& v : in) v = {u(rng), u(rng), u(rng)};
  auto m = RandomMatrices(1);
  const Mat& mat = *reinterpret_cast<const Mat*>(m.data());
  for (auto _ : state) {
    for (int i = 0; i < kMillion; ++i) transform(out[i], in[i], mat);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kMillion);
}
void TransformPoints(benchmark::State& s) {
  RunTransform<Vector3f, Matrix4f>(s,
                                   [](Vector3f& o, const Vector3f& p, const Matrix4f& m) { TransformPoint(o, p, m); });
}
void TransformPointsPlain(benchmark::State& s) { RunTransform<plain::V, plain::M>(s, plain::TransformPoint); }

template <class F>
void RunCull(benchmark::State& state, F cull) {
  Frustum f;
  f.Set(-0.6f, 0.6f, -0.45f, 0.45f, 1, 1000);
  std::mt19937 rng(4);
  std::uniform_real_distribution<float> u(-1, 1);
  std::vector<Spheref> spheres(kMillion);
  for (Spheref& s : spheres) s = {{u(rng) * 600, u(rng) * 450, -500 + u(rng) * 520}, 1 + (u(rng) + 1) * 20};
  int visible = 0;
  for (auto _ : state) {
    visible = 0;
    for (const Spheref& s : spheres) visible += cull(f, s) == 0;
    benchmark::DoNotOptimize(visible);
  }
  state.counters["visible"] = visible;
  state.SetItemsProcessed(state.iterations() * kMillion);
}
void CullFrustum(benchmark::State& s) {
  RunCull(s, [](const Frustum& f, const Spheref& sp) { return f.CullFrustum(sp); });
}
void CullFrustumPlain(benchmark::State& s) {
  RunCull(s, [](const Frustum& f, const Spheref& sp) {
    return plain::Cull(reinterpret_cast<const plain::P*>(f.planes), reinterpret_cast<const plain::S&>(sp), f);
  });
}

}  // namespace

BENCHMARK(MatrixProduct);
BENCHMARK(MatrixProductPlain);
BENCHMARK(InverseAffine);
BENCHMARK(InverseAffinePlain);
BENCHMARK(InverseAffinePlainInlined);
BENCHMARK(Slerp);
BENCHMARK(SlerpPlain);
BENCHMARK(TransformPoints);
BENCHMARK(TransformPointsPlain);
BENCHMARK(CullFrustum);
BENCHMARK(CullFrustumPlain);
