// Polygon geometry over a grid of about 1M triangles: the bounding sphere, a Möller–Trumbore ray walk
// and validation, each against the same work in a plain loop over std::vector.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "BenchWorld.h"
#include "classes/EngineClasses.h"
#include "geometry/PolygonGeometry.h"
#include "script/object/ObjectModel.h"

namespace {

using namespace PM;

constexpr int kSide = 709;  // vertices per side: 708 x 708 quads, 1,002,528 triangles

using Bench::InitOnce;

// The grid on which both sides work: positions with a gentle height field, two triangles per quad.
struct Grid {
  std::vector<Vector3f> positions;
  std::vector<int32_t> triangles;  // three indices each
  std::vector<int32_t> quads;      // four indices each
  Grid() {
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) positions.push_back({float(x), float(y), 0.01f * float((x * 7 + y * 13) % 17)});
    for (int y = 0; y + 1 < kSide; ++y)
      for (int x = 0; x + 1 < kSide; ++x) {
        int32_t a = y * kSide + x, b = a + 1, c = a + kSide + 1, d = a + kSide;
        triangles.insert(triangles.end(), {a, b, c, a, c, d});
        quads.insert(quads.end(), {a, b, c, d});
      }
  }
};

const Grid& TheGrid() {
  static const Grid g;
  return g;
}

template <class T>
Array<T> ToArray(const std::vector<T>& v) {
  Array<T> a;
  a.Reserve(int(v.size()));
  for (const T& e : v) a.Append(e);
  return a;
}

// The engine's geometry of the grid: a triangle list, or quads as four-sided polygons.
Obj<SPolygonGeometry_I> MakeGeometry(bool quads) {
  InitOnce();
  const Grid& grid = TheGrid();
  Obj<SPolygonGeometry_I> g(static_cast<SPolygonGeometry_I*>(ScriptObject::Create(SPolygonGeometry_I::kClassId)));
  g->SetVertexArray(ToArray(grid.positions));
  if (quads) {
    int32_t count = int32_t(grid.quads.size() / 4);
    g->SetPrimType(PrimitiveType::kPolygon);
    g->SetPrimCount(count);
    g->SetPrimLengthArray(ToArray(std::vector<int32_t>(size_t(count), 4)));
    g->SetIndexArray(ToArray(grid.quads));
  } else {
    g->SetPrimCount(int32_t(grid.triangles.size() / 3));
    g->SetIndexArray(ToArray(grid.triangles));
  }
  return g;
}

// ---- bounding sphere --------------------------------------------------------------------------------

void BM_Engine_BoundingSphere(benchmark::State& state) {
  Obj<SPolygonGeometry_I> g = MakeGeometry(false);
  Spheref s;
  for (auto _ : state) {
    g->GetBoundingSphere(&s);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_Engine_BoundingSphere)->Unit(benchmark::kMillisecond);

// Ritter's two passes, as the engine's sphere does them.
void BM_Plain_BoundingSphere(benchmark::State& state) {
  const std::vector<Vector3f>& p = TheGrid().positions;
  for (auto _ : state) {
    size_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    for (size_t i = 1; i < p.size(); ++i) {
      const float v[3] = {p[i].x, p[i].y, p[i].z};
      const float l[3] = {p[lo[0]].x, p[lo[1]].y, p[lo[2]].z};
      const float h[3] = {p[hi[0]].x, p[hi[1]].y, p[hi[2]].z};
      for (int a = 0; a < 3; ++a) {
        if (v[a] < l[a]) lo[a] = i;
        if (v[a] > h[a]) hi[a] = i;
      }
    }
    int best = 0;
    float bestD2 = -1.0f;
    for (int a = 0; a < 3; ++a) {
      Vector3f d{p[hi[a]].x - p[lo[a]].x, p[hi[a]].y - p[lo[a]].y, p[hi[a]].z - p[lo[a]].z};
      float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
      if (d2 > bestD2) bestD2 = d2, best = a;
    }
    Vector3f c{(p[lo[best]].x + p[hi[best]].x) * 0.5f, (p[lo[best]].y + p[hi[best]].y) * 0.5f,
               (p[lo[best]].z + p[hi[best]].z) * 0.5f};
    float r = std::sqrt(bestD2) * 0.5f;
    for (const Vector3f& q : p) {
      Vector3f d{q.x - c.x, q.y - c.y, q.z - c.z};
      float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
      if (d2 <= r * r) continue;
      float dist = std::sqrt(d2), grown = (r + dist) * 0.5f, k = (grown - r) / dist;
      c = {c.x + d.x * k, c.y + d.y * k, c.z + d.z * k};
      r = grown;
    }
    benchmark::DoNotOptimize(c);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_Plain_BoundingSphere)->Unit(benchmark::kMillisecond);

// ---- ray walk ---------------------------------------------------------------------------------------

// Möller–Trumbore: the distance along the ray to the triangle, or a negative value for a miss.
inline float RayTriangle(const Vector3f& o, const Vector3f& dir, const Vector3f& a, const Vector3f& b,
                         const Vector3f& c) {
  Vector3f e1{b.x - a.x, b.y - a.y, b.z - a.z}, e2{c.x - a.x, c.y - a.y, c.z - a.z};
  Vector3f p{dir.y * e2.z - dir.z * e2.y, dir.z * e2.x - dir.x * e2.z, dir.x * e2.y - dir.y * e2.x};
  float det = e1.x * p.x + e1.y * p.y + e1.z * p.z;
  if (std::fabs(det) < 1e-12f) return -1.0f;
  float inv = 1.0f / det;
  Vector3f s{o.x - a.x, o.y - a.y, o.z - a.z};
  float u = (s.x * p.x + s.y * p.y + s.z * p.z) * inv;
  if (u < 0.0f || u > 1.0f) return -1.0f;
  Vector3f q{s.y * e1.z - s.z * e1.y, s.z * e1.x - s.x * e1.z, s.x * e1.y - s.y * e1.x};
  float v = (dir.x * q.x + dir.y * q.y + dir.z * q.z) * inv;
  if (v < 0.0f || u + v > 1.0f) return -1.0f;
  return (e2.x * q.x + e2.y * q.y + e2.z * q.z) * inv;
}

const Vector3f kOrigin{300.25f, 400.5f, 10.0f}, kDown{0.0f, 0.0f, -1.0f};

// The nearest hit over every triangle; answers 0 so that the walk goes on to the end.
class NearestHit final : public TriangleQuery {
 public:
  int32_t TestTriangle() override {
    float t = RayTriangle(kOrigin, kDown, Positions[Index[0]], Positions[Index[1]], Positions[Index[2]]);
    if (t >= 0.0f && t < nearest) nearest = t;
    return 0;
  }
  float nearest = 1e30f;
};

void BM_Engine_IntersectRay(benchmark::State& state) {
  Obj<SPolygonGeometry_I> g = MakeGeometry(false);
  for (auto _ : state) {
    NearestHit q;
    g->IntersectRay(&q);
    benchmark::DoNotOptimize(q.nearest);
  }
}
BENCHMARK(BM_Engine_IntersectRay)->Unit(benchmark::kMillisecond);

void BM_Plain_IntersectRay(benchmark::State& state) {
  const Grid& grid = TheGrid();
  const std::vector<Vector3f>& p = grid.positions;
  const std::vector<int32_t>& idx = grid.triangles;
  for (auto _ : state) {
    float nearest = 1e30f;
    for (size_t i = 0; i + 2 < idx.size(); i += 3) {
      float t = RayTriangle(kOrigin, kDown, p[size_t(idx[i])], p[size_t(idx[i + 1])], p[size_t(idx[i + 2])]);
      if (t >= 0.0f && t < nearest) nearest = t;
    }
    benchmark::DoNotOptimize(nearest);
  }
}
BENCHMARK(BM_Plain_IntersectRay)->Unit(benchmark::kMillisecond);

// ---- validation -------------------------------------------------------------------------------------

// Quads as polygons, so that counting walks the lengths.
void BM_Engine_Validate(benchmark::State& state) {
  Obj<SPolygonGeometry_I> g = MakeGeometry(true);
  for (auto _ : state) benchmark::DoNotOptimize(g->Validate());
}
BENCHMARK(BM_Engine_Validate)->Unit(benchmark::kMillisecond);

// The same checks over vectors, with the index bound and length total kept beside them as the setters
// keep them.
void BM_Plain_Validate(benchmark::State& state) {
  const Grid& grid = TheGrid();
  const std::vector<int32_t> lengths(grid.quads.size() / 4, 4);
  int64_t total = 0, bound = 0;
  for (int32_t l : lengths) total += l;
  for (int32_t i : grid.quads) bound = std::max<int64_t>(bound, int64_t(i) + 1);
  const int32_t primCount = int32_t(lengths.size());
  for (auto _ : state) {
    bool ok = true;
    int64_t triangles = 0;
    for (size_t i = 0; i < lengths.size() && i < size_t(primCount); ++i) {
      if (lengths[i] < 3) {
        ok = false;
        break;
      }
      triangles += lengths[i] - 2;
    }
    ok = ok && int64_t(lengths.size()) == primCount && total == int64_t(grid.quads.size()) &&
         bound <= int64_t(grid.positions.size());
    benchmark::DoNotOptimize(triangles);
    benchmark::DoNotOptimize(ok);
  }
}
BENCHMARK(BM_Plain_Validate)->Unit(benchmark::kMillisecond);

}  // namespace
