// Our weight-list subdivision against OpenSubdiv's CPU refinement in the same process: every refined
// point and every limit point, matched through their parents rather than by index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/MathTestSupport.h"
#include "peer/OsdPeer.h"

namespace PM::Test {
namespace {

// Which OpenSubdiv vertex and face each of our points and faces is, level by level.
struct Correspondence {
  std::vector<std::vector<int>> point, face;
};

Correspondence Match(const std::vector<SubDivStructure>& levels, const Far::TopologyRefiner& r) {
  Correspondence c;
  c.point.resize(levels.size());
  c.face.resize(levels.size());
  for (int i = 0; i < levels[0].Points.Count(); ++i) c.point[0].push_back(i);
  for (int i = 0; i < levels[0].Faces.Count(); ++i) c.face[0].push_back(i);
  for (size_t l = 0; l + 1 < levels.size(); ++l) {
    const SubDivStructure& s = levels[l];
    const Far::TopologyLevel& parent = r.GetLevel(int(l));
    std::vector<int>& points = c.point[l + 1];
    std::vector<int>& faces = c.face[l + 1];
    points.assign(size_t(levels[l + 1].Points.Count()), -1);
    for (int v = 0; v < s.Points.Count(); ++v) points[size_t(v)] = parent.GetVertexChildVertex(c.point[l][size_t(v)]);
    int faceCount = 0;
    for (int f = 0; f < s.Faces.Count(); ++f) {
      const SubDivFace& face = s.Faces[f];
      const int osdFace = c.face[l][size_t(f)];
      points[size_t(face.facePoint)] = parent.GetFaceChildVertex(osdFace);
      // Child k holds corner k on both sides, but the two may number a face's corners from different
      // starts: find where our corner 0 stands in the peer's face.
      const auto verts = parent.GetFaceVertices(osdFace);
      const int n = face.CornerCount(), corner0 = c.point[l][size_t(s.Corner(face, 0))];
      int rotation = 0;
      while (rotation < n && verts[rotation] != corner0) ++rotation;
      EXPECT_LT(rotation, n) << "face " << f << " of level " << l;
      const auto children = parent.GetFaceChildFaces(osdFace);
      for (int k = 0; k < n; ++k) faces.push_back(children[(k + rotation) % n]);
      ++faceCount;
    }
    const int edgeBase = s.Points.Count() + faceCount;
    for (int e = 0; e < s.Edges.Count(); ++e) {
      const SubDivEdge& edge = s.Edges[e];
      const int osdEdge = parent.FindEdge(c.point[l][size_t(edge.points[0])], c.point[l][size_t(edge.points[1])]);
      points[size_t(edgeBase + e)] = parent.GetEdgeChildVertex(osdEdge);
    }
  }
  return c;
}

struct PeerCase {
  const char* name;
  TestMesh mesh;
  bool open;
};

// Compares levels 1 to 3 and the limit of level 3; on an open mesh only points whose base support
// holds no boundary point.
void CompareWithPeer(const PeerCase& pc) {
  constexpr int kLevels = 3;
  const TestMesh& m = pc.mesh;
  float size = 0.0f;
  for (int axis = 0; axis < 3; ++axis) {
    auto key = [axis](const Vector3f& p) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; };
    auto [lo, hi] = std::minmax_element(m.positions.begin(), m.positions.end(),
                                        [&](const Vector3f& a, const Vector3f& b) { return key(a) < key(b); });
    size = std::max(size, key(*hi) - key(*lo));
  }
  const float tolerance = 1e-5f * size;

  ErrorLogCapture log;
  std::vector<SubDivStructure> levels(kLevels + 1);
  levels[0] = BuildStructure(m);
  for (int l = 0; l < kLevels; ++l) levels[size_t(l)].SubDivide(levels[size_t(l) + 1], pc.name);

  std::vector<bool> boundary(m.positions.size(), false);
  for (const SubDivEdge& e : levels[0].Edges)
    if (e.faces[1] < 0) boundary[size_t(e.points[0])] = boundary[size_t(e.points[1])] = true;
  auto comparable = [&](const SubDivPoint& p) {
    for (int k = 0; k < p.weightCount; ++k)
      if (boundary[size_t(p.indices[k])]) return false;
    return true;
  };

  const auto refiner = MakeRefiner(m, kLevels);
  const auto peer = Interpolate(*refiner, m.positions);
  const Correspondence c = Match(levels, *refiner);
  auto compare = [&](const SubDivStructure& s, const std::vector<OsdPoint>& want, const std::vector<int>& map,
                     const char* what) {
    const auto got = Evaluate(s, m.positions);
    int compared = 0, wrong = 0, first = -1;
    for (size_t i = 0; i < got.size(); ++i) {
      if (!comparable(s.Points[int(i)])) continue;
      const OsdPoint& w = want[size_t(map[i])];
      if (!got[i].IsEqualEps({w.x, w.y, w.z}, tolerance) && wrong++ == 0) first = int(i);
      ++compared;
    }
    EXPECT_EQ(wrong, 0) << pc.name << " " << what << ": first at point " << first;
    EXPECT_GT(compared, pc.open ? 0 : int(got.size()) - 1) << pc.name << " " << what;
  };
  for (int l = 1; l <= kLevels; ++l) {
    ASSERT_EQ(size_t(levels[size_t(l)].Points.Count()), peer[size_t(l)].size());
    compare(levels[size_t(l)], peer[size_t(l)], c.point[size_t(l)], ("level " + std::to_string(l)).c_str());
  }
  ASSERT_TRUE(levels[kLevels].ProjectToLimit());
  compare(levels[kLevels], Limit(*refiner, peer[kLevels]), c.point[kLevels], "limit");
  for (const auto& msg : log.Messages()) EXPECT_EQ(msg.level, kLevelDebug) << msg.text;
}

TEST(SubDivPeer, Cube) { CompareWithPeer({"cube", Cube(), false}); }
TEST(SubDivPeer, QuadSphere) {
  const TestMesh sphere = CubeSphere(41);
  ASSERT_EQ(sphere.faces.size(), 10086u);
  CompareWithPeer({"sphere", sphere, false});
}
TEST(SubDivPeer, SphereWithTriangles) { CompareWithPeer({"sphere with triangles", CubeSphere(41, 7), false}); }
TEST(SubDivPeer, OpenBumpyGrid) {
  auto bumps = [](float x, float y) { return std::sin(x * 0.9f) * std::cos(y * 0.7f); };
  CompareWithPeer({"grid", Grid(10, bumps), true});
}

}  // namespace
}  // namespace PM::Test
