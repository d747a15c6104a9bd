// A clamped cubic curve of 1,000 control vertices tessellated at 16 samples per span, against a plain
// de Boor evaluation at the same parameters; and the polyline walked by arc length, against a plain walk.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "classes/EngineClasses.h"
#include "core/Log.h"
#include "scene/SplineCurve.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kCVs = 1000;
constexpr int kSamplesPerSpan = 16;

struct Curve {
  std::vector<float> knots;  // kCVs + 2: 0,0,0, 1..996, 997,997,997
  std::vector<Vector3f> cvs;
};

Curve MakeCurve() {
  Curve c;
  const int k = kCVs + 2;
  for (int i = 0; i < k; ++i) c.knots.push_back(float(i < 3 ? 0 : i > k - 4 ? k - 5 : i - 2));
  unsigned seed = 12345;
  auto next = [&] { return float((seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFF) / 32768.0f - 1.0f; };
  for (int i = 0; i < kCVs; ++i) c.cvs.push_back({next(), next(), next()});
  return c;
}

Obj<SSplineCurve_I> EngineCurve(const Curve& c) {
  static const bool init = [] {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    return true;
  }();
  (void)init;
  Obj<SSplineCurve_I> s(static_cast<SSplineCurve_I*>(ScriptObject::Create(SSplineCurve_I::kClassId)));
  for (float k : c.knots) s->m_knots.Append(k);
  for (const Vector3f& v : c.cvs) s->m_cvs.Append(v);
  return s;
}

// The point at t on span i (between knots i+2 and i+3, CVs i..i+3) by de Boor's triangle.
Vector3f DeBoor(const Curve& c, int i, float t) {
  Vector3f d[4] = {c.cvs[i], c.cvs[i + 1], c.cvs[i + 2], c.cvs[i + 3]};
  const float* u = c.knots.data() + i;  // u[0..5]
  for (int r = 1; r <= 3; ++r)
    for (int j = 3; j >= r; --j) {
      const float alpha = (t - u[j - 1]) / (u[j + 3 - r] - u[j - 1]);
      d[j] = {(1 - alpha) * d[j - 1].x + alpha * d[j].x, (1 - alpha) * d[j - 1].y + alpha * d[j].y,
              (1 - alpha) * d[j - 1].z + alpha * d[j].z};
    }
  return d[3];
}

// The tessellation's parameters, written out here: m per span, then the end.
void DeBoorTessellate(const Curve& c, int m, std::vector<Vector3f>& out) {
  out.clear();
  const int spans = int(c.knots.size()) - 5;
  for (int i = 0; i < spans; ++i) {
    const float a = c.knots[i + 2], b = c.knots[i + 3];
    for (int j = 0; j < m; ++j) out.push_back(DeBoor(c, i, float(j) / float(m) * (b - a) + a));
  }
  out.push_back(DeBoor(c, spans - 1, c.knots[size_t(spans) + 2]));
}

void CheckAgreement(const Curve& c) {
  static const bool checked = [&] {
    Array<Vector3f> ours;
    EngineCurve(c)->Tessellate(ours, kSamplesPerSpan);
    std::vector<Vector3f> ref;
    DeBoorTessellate(c, kSamplesPerSpan, ref);
    if (size_t(ours.Count()) != ref.size()) std::abort();
    for (size_t i = 0; i < ref.size(); ++i)
      if (std::fabs(ours[int(i)].x - ref[i].x) > 1e-5f || std::fabs(ours[int(i)].y - ref[i].y) > 1e-5f ||
          std::fabs(ours[int(i)].z - ref[i].z) > 1e-5f) {
        std::fprintf(stderr, "tessellation differs from de Boor at sample %zu\n", i);
        std::abort();
      }
    return true;
  }();
  (void)checked;
}

void BM_Tessellate(benchmark::State& state) {
  const Curve c = MakeCurve();
  CheckAgreement(c);
  Obj<SSplineCurve_I> curve = EngineCurve(c);
  Array<Vector3f> out;
  for (auto _ : state) {
    curve->Tessellate(out, kSamplesPerSpan);
    benchmark::DoNotOptimize(out.begin());
  }
}
BENCHMARK(BM_Tessellate);

void BM_TessellateDeBoorPeer(benchmark::State& state) {
  const Curve c = MakeCurve();
  std::vector<Vector3f> out;
  for (auto _ : state) {
    DeBoorTessellate(c, kSamplesPerSpan, out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_TessellateDeBoorPeer);

// Arc lengths spread over the whole curve, taken in turn.
std::vector<float> WalkLengths(float total) {
  std::vector<float> s(1024);
  for (size_t i = 0; i < s.size(); ++i) s[i] = total * float((i * 617) % s.size()) / float(s.size());
  return s;
}

void BM_PointAtLength(benchmark::State& state) {
  Array<Vector3f> points;
  EngineCurve(MakeCurve())->Tessellate(points, kSamplesPerSpan);
  const std::vector<float> lengths = WalkLengths(CurveLength(points));
  // The walk's trace lines go to the discarding stream, as a host that keeps no output log has it.
  StreamPipeRef saved = LogOutPipe();
  LogOutPipe() = DiscardPipe();
  size_t k = 0;
  Vector3f p, d;
  for (auto _ : state) {
    CurvePointAtLength(points, lengths[k++ & 1023], p, d);
    benchmark::DoNotOptimize(p);
  }
  LogOutPipe() = saved;
}
BENCHMARK(BM_PointAtLength);

void PlainWalk(const std::vector<Vector3f>& pts, float s, Vector3f& point, Vector3f& dir) {
  float walked = 0;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const Vector3f d{pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y, pts[i + 1].z - pts[i].z};
    const float len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (walked + len >= s) {
      const float t = (s - walked) / len;
      dir = {d.x / len, d.y / len, d.z / len};
      point = {pts[i].x + t * d.x, pts[i].y + t * d.y, pts[i].z + t * d.z};
      return;
    }
    walked += len;
  }
  point = pts.back();
}

void BM_PointAtLengthPlainPeer(benchmark::State& state) {
  Array<Vector3f> points;
  EngineCurve(MakeCurve())->Tessellate(points, kSamplesPerSpan);
  const std::vector<Vector3f> pts(points.begin(), points.end());
  const std::vector<float> lengths = WalkLengths(CurveLength(points));
  size_t k = 0;
  Vector3f p, d;
  for (auto _ : state) {
    PlainWalk(pts, lengths[k++ & 1023], p, d);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_PointAtLengthPlainPeer);

}  // namespace
