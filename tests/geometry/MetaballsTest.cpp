// Metaballs: the marching-cubes tables, the surface of one and of several spheres (its place, its
// closed and consistently wound mesh), the walk against the full-grid reference, the mesh set through
// the polygon geometry's members, and the grids refused or reduced.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <random>
#include <vector>

#include "GeometryWorld.h"
#include "MetaballsReference.h"
#include "geometry/MarchingCubesTables.h"
#include "geometry/Metaballs.h"

namespace PM::Test {
namespace {

using Triangle = std::array<float, 9>;

Array<Vector4f> Spheres(std::initializer_list<Vector4f> v) {
  Array<Vector4f> a;
  for (const Vector4f& s : v) a.Append(s);
  return a;
}

std::vector<Triangle> Triangles(const MetaballMesh& m) {
  std::vector<Triangle> t;
  for (int32_t v = 0; v + 2 < m.positions.Count(); v += 3) {
    Triangle tri;
    for (int q = 0; q < 3; ++q) {
      const Vector3f& p = m.positions[v + q];
      tri[3 * q] = p.x, tri[3 * q + 1] = p.y, tri[3 * q + 2] = p.z;
    }
    t.push_back(tri);
  }
  std::sort(t.begin(), t.end());
  return t;
}

// The walk's mesh of a grid around `spheres`, with each vertex's grid edge.
struct Walked {
  MetaballMesh mesh;
  std::vector<int64_t> keys;
};
Walked Walk(const Array<Vector4f>& spheres, float cellSize, float iso = 1.0f) {
  Walked w;
  w.mesh.edgeKeys = &w.keys;
  MetaballGrid g;
  if (g.Build(spheres, cellSize, "test")) g.Polygonize(iso, &w.mesh);
  return w;
}

// The mesh welded by grid edge: whether every edge lies in exactly two triangles run in opposite
// directions, and the Euler characteristic of each connected piece.
struct Topology {
  bool closed = true;
  std::vector<int64_t> euler;
};
Topology TopologyOf(const std::vector<int64_t>& keys) {
  std::map<int64_t, int32_t> ids;
  std::vector<int32_t> vertex(keys.size());
  for (size_t v = 0; v < keys.size(); ++v) vertex[v] = ids.emplace(keys[v], int32_t(ids.size())).first->second;
  std::vector<int32_t> parent(ids.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](int32_t x) {
    while (parent[x] != x) x = parent[x] = parent[parent[x]];
    return x;
  };
  std::map<std::pair<int32_t, int32_t>, int> directed;
  for (size_t t = 0; t + 2 < vertex.size(); t += 3)
    for (int q = 0; q < 3; ++q) {
      const int32_t a = vertex[t + q], b = vertex[t + (q + 1) % 3];
      ++directed[{a, b}];
      parent[find(a)] = find(b);
    }
  Topology topo;
  std::map<int32_t, int64_t> chi;  // V - E + F per piece
  for (const auto& [edge, n] : directed) {
    auto back = directed.find({edge.second, edge.first});
    if (n != 1 || back == directed.end() || back->second != 1) topo.closed = false;
    chi[find(edge.first)] -= 1;  // each undirected edge is met twice, once per direction
  }
  for (auto& [piece, c] : chi) c /= 2;
  for (const auto& [key, id] : ids) chi[find(id)] += 1;
  for (size_t t = 0; t + 2 < vertex.size(); t += 3) chi[find(vertex[t])] += 1;
  for (const auto& [piece, c] : chi) topo.euler.push_back(c);
  return topo;
}

float Distance(const Vector3f& p, const Vector4f& c) {
  return std::sqrt((p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y) + (p.z - c.z) * (p.z - c.z));
}

// The nearest hit of a ray on the walked triangles.
class RayQuery final : public TriangleQuery {
 public:
  RayQuery(Vector3f from, Vector3f dir) : m_from(from), m_dir(dir) {}
  int32_t TestTriangle() override {
    const Vector3f &a = Positions[Index[0]], &b = Positions[Index[1]], &c = Positions[Index[2]];
    Vector3f e1, e2, p, s, q;
    e1.SetDifference(b, a);
    e2.SetDifference(c, a);
    p.SetCross(m_dir, e2);
    const float det = e1.x * p.x + e1.y * p.y + e1.z * p.z;
    if (std::fabs(det) < 1e-12f) return 0;
    s.SetDifference(m_from, a);
    const float u = (s.x * p.x + s.y * p.y + s.z * p.z) / det;
    q.SetCross(s, e1);
    const float v = (m_dir.x * q.x + m_dir.y * q.y + m_dir.z * q.z) / det;
    const float t = (e2.x * q.x + e2.y * q.y + e2.z * q.z) / det;
    if (u >= 0 && v >= 0 && u + v <= 1 && t > 0) nearest = std::min(nearest, t);
    return 0;
  }
  float nearest = std::numeric_limits<float>::infinity();

 private:
  Vector3f m_from, m_dir;
};

class Metaballs : public GeometryWorld {};

TEST_F(Metaballs, TablesCrossTheEdgesBetweenInsideAndOutsideCorners) {
  EXPECT_EQ(kMarchingCubesEdges[0], 0);
  EXPECT_EQ(kMarchingCubesEdges[1], 0x109);
  EXPECT_EQ(kMarchingCubesEdges[2], 0x203);
  EXPECT_EQ(kMarchingCubesEdges[0x80], 0x8C0);
  EXPECT_EQ(kMarchingCubesEdges[255], 0);
  for (int c = 0; c < 256; ++c) {
    uint32_t used = 0;
    int n = 0;
    while (kMarchingCubesTriangles[c][n] >= 0) used |= 1u << kMarchingCubesTriangles[c][n++];
    EXPECT_EQ(n % 3, 0) << c;
    EXPECT_LE(n, 15) << c;
    EXPECT_EQ(used, kMarchingCubesEdges[c]) << "row " << c;
  }
}

TEST_F(Metaballs, OneSphereGivesAClosedOutwardSurfaceAtItsIsoDistance) {
  const Vector4f s{0.3f, -0.2f, 0.1f, 1.0f};
  Walked w = Walk(Spheres({s}), 0.2f);
  const MetaballMesh& m = w.mesh;
  ASSERT_GT(m.positions.Count(), 300);
  ASSERT_EQ(m.normals.Count(), m.positions.Count());
  for (const Vector3f& p : m.positions) EXPECT_NEAR(Distance(p, s), 0.70710678f, 0.2f);

  const Topology topo = TopologyOf(w.keys);
  EXPECT_TRUE(topo.closed);
  EXPECT_EQ(topo.euler, std::vector<int64_t>{2});

  // The winding normal of each triangle points outward, as its interpolated normals do.
  for (int32_t v = 0; v < m.positions.Count(); v += 3) {
    Vector3f e1, e2, n, out;
    e1.SetDifference(m.positions[v + 1], m.positions[v]);
    e2.SetDifference(m.positions[v + 2], m.positions[v]);
    n.SetCross(e1, e2);
    const Vector3f& a = m.normals[v];
    const Vector3f& b = m.normals[v + 1];
    const Vector3f& c = m.normals[v + 2];
    out = {a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z};
    const Vector3f radial{m.positions[v].x - s.x, m.positions[v].y - s.y, m.positions[v].z - s.z};
    EXPECT_GT(n.x * out.x + n.y * out.y + n.z * out.z, 0) << v;
    EXPECT_GT(out.x * radial.x + out.y * radial.y + out.z * radial.z, 0) << v;
  }
}

TEST_F(Metaballs, SpheresBecomeTheGeometrysOwnTriangles) {
  Obj<SMetaballs_I> g = New<SMetaballs_I>();
  const Array<Vector4f> spheres = Spheres({{0, 0, 0, 1}});
  g->SetSpheres(spheres);
  g->Polygonize(1.0f);
  const Walked w = Walk(spheres, 0.2f);
  const int32_t n = w.mesh.positions.Count();
  ASSERT_GT(n, 0);
  EXPECT_EQ(MemberGet<VI32>(g, 0x02FFF076), n / 3);  // PrimCount
  EXPECT_EQ(MemberGet<VEnum>(g, 0x01FFF076), uint32_t(kTriangle));
  EXPECT_EQ(g->GetTriangleCount(), 0);  // counted when next drawn or validated
  EXPECT_TRUE(g->Validate());
  EXPECT_EQ(g->GetTriangleCount(), n / 3);
  ASSERT_EQ(g->m_indices.Count(), n);
  for (int32_t i = 0; i < n; ++i) ASSERT_EQ(g->m_indices[i], i);
  EXPECT_EQ(Triangles(g->m_mesh), Triangles(w.mesh));
  ASSERT_EQ(g->m_vertices.Count(), n);
  ASSERT_EQ(g->m_normals.Count(), n);
  for (int32_t i = 0; i < n; ++i) EXPECT_TRUE(g->m_normals[i] == w.mesh.normals[i]) << i;

  RayQuery ray({5, 0, 0}, {-1, 0, 0});
  g->IntersectRay(&ray);
  EXPECT_NEAR(5 - ray.nearest, 0.7071f, 0.05f);

  // Again on the same grid: the same mesh, not a field added twice.
  g->Polygonize(1.0f);
  EXPECT_EQ(g->m_vertices.Count(), n);
  EXPECT_EQ(Triangles(g->m_mesh), Triangles(w.mesh));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(Metaballs, OverlappingSpheresMakeOnePieceWalkedFromTheFirst) {
  const Array<Vector4f> both = Spheres({{0, 0, 0, 1}, {0.9f, 0.2f, 0, 0.8f}});
  Walked w = Walk(both, 0.2f);
  const Topology topo = TopologyOf(w.keys);
  EXPECT_TRUE(topo.closed);
  EXPECT_EQ(topo.euler, std::vector<int64_t>{2});

  // The second sphere's walk meets the visited surface and adds nothing.
  MetaballGrid g;
  ASSERT_TRUE(g.Build(both, 0.2f, "test"));
  g.Clear();
  g.EvaluateField();
  g.ComputeGradientNormals();
  MetaballMesh first;
  g.PolygonizeFromSphere(0, 1.0f, &first);
  const int32_t afterFirst = first.positions.Count();
  g.PolygonizeFromSphere(1, 1.0f, &first);
  EXPECT_EQ(first.positions.Count(), afterFirst);
  EXPECT_EQ(afterFirst, w.mesh.positions.Count());
}

TEST_F(Metaballs, WalkEmitsWhatEveryCellWouldForRandomSets) {
  for (uint32_t seed : {1u, 7u, 42u, 1234u}) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> at(-3.0f, 3.0f), radius(0.4f, 1.2f);
    Array<Vector4f> spheres;
    for (int s = 0; s < 20; ++s) spheres.Append(Vector4f{at(rng), at(rng), at(rng), radius(rng)});
    const Walked w = Walk(spheres, 0.2f);
    MetaballGrid g;
    ASSERT_TRUE(g.Build(spheres, 0.2f, "test"));
    MetaballMesh all;
    std::vector<int64_t> keys;
    all.edgeKeys = &keys;
    FullGridMarchingCubes(g, 1.0f, &all);
    EXPECT_GT(w.mesh.positions.Count(), 0) << seed;
    EXPECT_EQ(Triangles(w.mesh), Triangles(all)) << "seed " << seed;
    EXPECT_TRUE(TopologyOf(keys).closed) << seed;
  }
}

TEST_F(Metaballs, SmallSpheresAndCentresOnGridPoints) {
  // A sphere below one cell adds nothing, wherever it stands in the list.
  EXPECT_EQ(Walk(Spheres({{0, 0, 0, 0.1f}}), 0.2f).mesh.positions.Count(), 0);
  const std::vector<Triangle> big = Triangles(Walk(Spheres({{0, 0, 0, 1}}), 0.2f).mesh);
  EXPECT_EQ(Triangles(Walk(Spheres({{0.1f, 0, 0, 0.1f}, {0, 0, 0, 1}}), 0.2f).mesh), big);
  EXPECT_EQ(Triangles(Walk(Spheres({{0, 0, 0, 1}, {0.1f, 0, 0, 0.1f}}), 0.2f).mesh), big);

  // 0.95 + 1.1 x 0.5 is 1.5 exactly in floats: the centre lies on grid point (3, 3, 3).
  const Vector4f s{0, 0, 0, 0.95f};
  MetaballGrid g;
  ASSERT_TRUE(g.Build(Spheres({s}), 0.5f, "test"));
  ASSERT_EQ(g.Origin().x, -1.5f);
  Walked w = Walk(Spheres({s}), 0.5f);
  ASSERT_GT(w.mesh.positions.Count(), 0);
  for (const Vector3f& p : w.mesh.positions) EXPECT_GT(Distance(p, s), 0.5f);  // no bubble round the centre
  EXPECT_TRUE(TopologyOf(w.keys).closed);
  MetaballMesh all;
  FullGridMarchingCubes(g, 1.0f, &all);
  EXPECT_EQ(Triangles(w.mesh), Triangles(all));
}

TEST_F(Metaballs, RefusedGridsAndCellSizes) {
  Obj<SMetaballs_I> g = New<SMetaballs_I>();
  struct Row {
    float set, get;
  } rows[] = {{0.3f, 0.3f}, {0.1f, 0.1f}, {0.05f, 0.1f}, {-1, 0.1f}, {std::nanf(""), 0.1f}};
  for (const Row& r : rows) {
    g->SetCellSize(r.set);
    EXPECT_EQ(g->GetCellSize(), r.get) << r.set;
  }

  // 0.1 apart by 300 along each axis: about 3000^3 points.
  g->SetSpheres(Spheres({{0, 0, 0, 1}, {300, 300, 300, 1}}));
  EXPECT_TRUE(g->m_grids.empty());
  const std::string log = TakeLog();
  EXPECT_NE(log.find("SMetaballs::SetSpheres: a grid of 3023 x 3023 x 3023 points exceeds the limit of "
                     "16777216; no grid."),
            std::string::npos)
      << log;
  g->Polygonize(1.0f);
  EXPECT_EQ(g->m_vertices.Count(), 0);
  EXPECT_EQ(g->GetPrimCount(), 0);

  const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
  for (const Vector4f& bad : {Vector4f{nan, 0, 0, 1}, Vector4f{0, inf, 0, 1}, Vector4f{0, 0, 0, 1e30f}}) {
    g->SetSpheres(Spheres({{0, 0, 0, 1}, bad}));
    EXPECT_TRUE(g->m_grids.empty());
    EXPECT_NE(TakeLog().find("SMetaballs::SetSpheres: sphere 1 ("), std::string::npos);
  }
  g->SetSpheres(Array<Vector4f>());
  EXPECT_TRUE(g->m_grids.empty());
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
