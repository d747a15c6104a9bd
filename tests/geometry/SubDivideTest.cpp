// The Catmull-Clark step on weight lists and the limit projection: layouts, weights of the rules,
// the log lines, affine invariance, and the guarded cases (unused points, triangles, bad input).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/MathTestSupport.h"
#include "geometry/SubDivParam.h"
#include "geometry/SubDivReference.h"
#include "geometry/SubDivTestMesh.h"

namespace PM::Test {
namespace {

using Weights = std::map<int, float>;

Weights WeightsOf(const SubDivPoint& p) {
  Weights w;
  for (int k = 0; k < p.weightCount; ++k) w[p.indices[k]] += p.weights[k];
  return w;
}

::testing::AssertionResult SameWeights(const SubDivPoint& p, const Weights& want) {
  const Weights got = WeightsOf(p);
  bool ok = got.size() == want.size() && size_t(p.weightCount) == want.size();
  for (const auto& [i, w] : want) ok = ok && got.count(i) && std::fabs(got.at(i) - w) <= 1e-6f;
  if (ok) return ::testing::AssertionSuccess();
  auto r = ::testing::AssertionFailure() << "got";
  for (const auto& [i, w] : got) r << " (" << i << ", " << w << ")";
  return r;
}

std::vector<int> CornersOf(const SubDivStructure& s, int face) {
  std::vector<int> c;
  for (int k = 0; k < s.Faces[face].CornerCount(); ++k) c.push_back(s.Corner(s.Faces[face], k));
  return c;
}

// Every face's edges chain end to start, and no edge carries more than two faces.
::testing::AssertionResult WellFormed(SubDivStructure& s) {
  for (int f = 0; f < s.Faces.Count(); ++f) {
    const SubDivFace& face = s.Faces[f];
    const int n = face.CornerCount();
    for (int k = 0; k < n; ++k) {
      const int32_t r = face.edges[k];
      const int end = s.StartPoint(r ^ 1), next = s.StartPoint(face.edges[(k + 1) % n]);
      if (end != next) return ::testing::AssertionFailure() << "face " << f << " breaks at corner " << k;
    }
  }
  ErrorLogCapture log;
  s.UpdateEdgeToFace();
  if (!log.Messages().empty()) return ::testing::AssertionFailure() << log.Messages()[0].text;
  return ::testing::AssertionSuccess();
}

std::vector<SubDivStructure> Levels(const TestMesh& m, int steps) {
  std::vector<SubDivStructure> levels(size_t(steps) + 1);
  levels[0] = BuildStructure(m);
  for (int i = 0; i < steps; ++i) levels[size_t(i)].SubDivide(levels[size_t(i) + 1], "test");
  return levels;
}

std::vector<std::string> Texts(const ErrorLogCapture& log) {
  std::vector<std::string> t;
  for (const auto& m : log.Messages()) t.push_back(m.text);
  return t;
}

TEST(SubDivide, OneQuad) {
  SubDivStructure s = BuildStructure(4, {{0, 1, 2, 3}}), t;
  ErrorLogCapture log;
  s.SubDivide(t, "quad");
  EXPECT_EQ(Texts(log), (std::vector<std::string>{"SubDivStructure::SubDivide: \"quad\"...\n",
                                                  "SubDivStructure::SubDivide: \"quad\" done.\n",
                                                  "SubDivStructure::MemoryUsage: 1240 (0M) bytes.\n"}));
  for (const auto& m : log.Messages()) EXPECT_EQ(m.level, kLevelDebug);

  ASSERT_EQ(t.Points.Count(), 9);
  ASSERT_EQ(t.Edges.Count(), 12);
  ASSERT_EQ(t.Faces.Count(), 4);
  EXPECT_EQ(s.Faces[0].facePoint, 4);
  EXPECT_TRUE(SameWeights(t.Points[4], {{0, 0.25f}, {1, 0.25f}, {2, 0.25f}, {3, 0.25f}}));
  const float a = 5.0f / 12, b = 1.0f / 12;
  const Weights edgePoints[4] = {{{0, a}, {1, a}, {2, b}, {3, b}},
                                 {{1, a}, {2, a}, {3, b}, {0, b}},
                                 {{2, a}, {3, a}, {0, b}, {1, b}},
                                 {{3, a}, {0, a}, {1, b}, {2, b}}};
  for (int e = 0; e < 4; ++e) {
    EXPECT_TRUE(SameWeights(t.Points[5 + e], edgePoints[e])) << "edge " << e;
    EXPECT_EQ(s.Edges[e].halves[0], 4 * e);
    EXPECT_EQ(s.Edges[e].halves[1], 4 * e + 2);
  }
  for (int v = 0; v < 4; ++v)
    EXPECT_TRUE(
        SameWeights(t.Points[v], {{v, 0.125f}, {(v + 1) % 4, 0.375f}, {(v + 3) % 4, 0.375f}, {(v + 2) % 4, 0.125f}}))
        << "corner " << v;

  struct Child {
    std::vector<int> corners;
    std::vector<int32_t> params;
  } const want[4] = {
      {{0, 5, 4, 8}, {0, 8, 144, 136}},
      {{5, 1, 6, 4}, {8, 16, 152, 144}},
      {{4, 6, 2, 7}, {144, 152, 288, 280}},
      {{8, 4, 7, 3}, {136, 144, 280, 272}},
  };
  for (int f = 0; f < 4; ++f) {
    EXPECT_EQ(CornersOf(t, f), want[f].corners) << f;
    EXPECT_EQ(std::vector<int32_t>(t.Faces[f].params, t.Faces[f].params + 4), want[f].params) << f;
    EXPECT_EQ(t.Faces[f].facePoint, -1);
    EXPECT_EQ(t.Faces[f].sourceFace, 0);
  }
  EXPECT_TRUE(WellFormed(t));

  SubDivStructure u;
  t.SubDivide(u, "quad");
  EXPECT_EQ(u.Points.Count(), 25);
  EXPECT_EQ(u.Edges.Count(), 40);
  EXPECT_EQ(u.Faces.Count(), 16);
  EXPECT_TRUE(WellFormed(u));
}

TEST(SubDivide, QuadChildrenTakeTheParameterHelpersValuesForAnyParameters) {
  // A quad's children take FaceParam's centre and midpoints of its corners' parameters, whatever they
  // hold: values of every domain and grid place, the table's bounds, and values outside it (negative,
  // past the last domain, the extremes) where the truncating helpers round toward zero.
  const int32_t last = SubDivParamTable::kEntries - 1;
  const std::vector<std::array<int32_t, 4>> params = {
      {0, 16, 288, 272},    {289, 305, 577, 561},          {867, 883, 1155, 1139}, {0, last, 0, last},
      {17, 33, 50, 1},      {300, 301, 302, 303},          {-1, 0, 1, 2},          {last, last + 1, last, last},
      {-300, -18, 5000, 7}, {INT32_MIN, INT32_MAX, 0, -1},
  };
  FaceList quads;  // apart from each other
  for (int f = 0; f < int(params.size()); ++f) quads.push_back({4 * f, 4 * f + 1, 4 * f + 2, 4 * f + 3});
  SubDivStructure s = BuildStructure(4 * int(params.size()), quads), t;
  for (size_t f = 0; f < params.size(); ++f)
    for (int k = 0; k < 4; ++k) s.Faces[int(f)].params[k] = params[f][size_t(k)];
  s.SubDivide(t, "parameters");
  ASSERT_EQ(t.Faces.Count(), int(4 * params.size()));
  for (size_t f = 0; f < params.size(); ++f) {
    const auto& a = params[f];
    const int32_t c = FaceParam::Centre(a[0], a[1], a[2], a[3]);
    const int32_t m01 = FaceParam::Midpoint(a[0], a[1]), m12 = FaceParam::Midpoint(a[1], a[2]);
    const int32_t m23 = FaceParam::Midpoint(a[2], a[3]), m30 = FaceParam::Midpoint(a[3], a[0]);
    const std::array<int32_t, 4> want[4] = {
        {a[0], m01, c, m30}, {m01, a[1], m12, c}, {c, m12, a[2], m23}, {m30, c, m23, a[3]}};
    for (int k = 0; k < 4; ++k) {
      const SubDivFace& child = t.Faces[int(4 * f) + k];
      EXPECT_EQ((std::array<int32_t, 4>{child.params[0], child.params[1], child.params[2], child.params[3]}), want[k])
          << "face " << f << ", child " << k;
    }
  }
}

TEST(SubDivide, OneTriangle) {
  SubDivStructure s = BuildStructure(3, {{0, 1, 2}}), t;
  s.Faces[0].params[0] = 123;  // a triangle's own parameters are not carried on
  s.SubDivide(t, "tri");
  ASSERT_EQ(t.Points.Count(), 7);
  ASSERT_EQ(t.Edges.Count(), 9);
  ASSERT_EQ(t.Faces.Count(), 3);
  const float third = 0.33333334f;
  EXPECT_TRUE(SameWeights(t.Points[3], {{0, third}, {1, third}, {2, third}}));
  const std::vector<int32_t> params[3] = {{289, 305, 577, 561}, {578, 594, 866, 850}, {867, 883, 1155, 1139}};
  const std::vector<int> corners[3] = {{0, 4, 3, 6}, {4, 1, 5, 3}, {3, 5, 2, 6}};
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(std::vector<int32_t>(t.Faces[f].params, t.Faces[f].params + 4), params[f]) << f;
    EXPECT_EQ(CornersOf(t, f), corners[f]) << f;
  }
  EXPECT_TRUE(WellFormed(t));
}

TEST(SubDivide, CubeCornerHasNoOwnTerm) {
  const auto levels = Levels(Cube(), 1);
  // Valence 3: 5/12 itself, 1/6 each edge neighbour, 1/36 each diagonal one.
  EXPECT_TRUE(SameWeights(
      levels[1].Points[0],
      {{0, 5.0f / 12}, {1, 1.0f / 6}, {2, 1.0f / 6}, {4, 1.0f / 6}, {3, 1.0f / 36}, {5, 1.0f / 36}, {6, 1.0f / 36}}));
}

TEST(SubDivide, ClosedMeshesStayClosedAndListsSumToOne) {
  const TestMesh meshes[] = {Cube(), CubeSphere(3, 7)};
  for (const TestMesh& m : meshes) {
    ErrorLogCapture log;
    auto levels = Levels(m, 3);
    for (int l = 1; l <= 3; ++l) {
      SubDivStructure& s = levels[size_t(l)];
      EXPECT_EQ(s.Points.Count() - s.Edges.Count() + s.Faces.Count(), 2) << "level " << l;
      EXPECT_TRUE(WellFormed(s));
      for (int i = 0; i < s.Points.Count(); ++i)
        ASSERT_NEAR(s.Points[i].WeightSum(), 1.0f, 1e-6f) << "level " << l << " point " << i;
      for (const SubDivEdge& e : s.Edges) ASSERT_TRUE(e.faces[0] >= 0 && e.faces[1] >= 0);
    }
    ASSERT_TRUE(levels[3].ProjectToLimit());
    for (int i = 0; i < levels[3].Points.Count(); ++i) ASSERT_NEAR(levels[3].Points[i].WeightSum(), 1.0f, 1e-6f);
    for (const auto& msg : log.Messages()) EXPECT_EQ(msg.level, kLevelDebug) << msg.text;
  }
}

TEST(SubDivide, FlatGridStaysFlatAndInteriorPointsStay) {
  auto plane = [](float x, float y) { return 0.25f * x - 0.5f * y + 1.0f; };
  const int n = 5;
  const TestMesh grid = Grid(n, plane);
  auto levels = Levels(grid, 2);
  auto checkLevel = [&](const SubDivStructure& s, const char* what) {
    const auto pos = Evaluate(s, grid.positions);
    for (size_t i = 0; i < pos.size(); ++i) ASSERT_NEAR(pos[i].z, plane(pos[i].x, pos[i].y), 1e-5f) << what << i;
    for (int j = 1; j < n; ++j)
      for (int i = 1; i < n; ++i) {
        const size_t v = size_t(j * (n + 1) + i);
        EXPECT_TRUE(Near(pos[v], grid.positions[v], 1e-5f)) << what << " base point " << v;
      }
  };
  checkLevel(levels[1], "step ");
  checkLevel(levels[2], "two steps ");
  ASSERT_TRUE(levels[2].ProjectToLimit());
  checkLevel(levels[2], "limit ");
}

TEST(SubDivide, UnusedPointKeepsItsPlace) {
  const std::vector<Vector3f> base = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {5, 6, 7}};
  SubDivStructure s = BuildStructure(5, {{0, 1, 2, 3}}), t;
  s.SubDivide(t, "unused");
  ASSERT_EQ(t.Points.Count(), 10);
  EXPECT_TRUE(SameWeights(t.Points[4], {{4, 1.0f}}));
  EXPECT_EQ(s.Faces[0].facePoint, 5);
  ErrorLogCapture log;
  ASSERT_TRUE(t.ProjectToLimit());
  EXPECT_TRUE(log.Messages().empty());
  EXPECT_TRUE(SameWeights(t.Points[4], {{4, 1.0f}}));
  EXPECT_TRUE(Near(Evaluate(t, base)[4], base[4], 0.0f));
}

TEST(SubDivide, InvalidFacesGetNoFacePointAndNoChildren) {
  // A quad beside a pentagon the conversion marked invalid.
  SubDivStructure s = BuildStructure(9, {{0, 1, 2, 3}, {4, 5, 6, 7, 8}}), t;
  s.SubDivide(t, "mixed");
  EXPECT_EQ(s.Faces[1].facePoint, -1);
  ASSERT_EQ(t.Points.Count(), 9 + 1 + 4);
  EXPECT_EQ(t.Edges.Count(), 12);
  ASSERT_EQ(t.Faces.Count(), 4);
  EXPECT_TRUE(SameWeights(t.Points[10], {{0, 5.0f / 12}, {1, 5.0f / 12}, {2, 1.0f / 12}, {3, 1.0f / 12}}));
  EXPECT_EQ(CornersOf(t, 0), (std::vector<int>{0, 10, 9, 13}));
  for (int v = 4; v < 9; ++v) EXPECT_TRUE(SameWeights(t.Points[v], {{v, 1.0f}}));
  EXPECT_TRUE(WellFormed(t));
}

TEST(SubDivide, RefusedInputsChangeNothing) {
  struct Row {
    const char* what;
    void (*spoil)(SubDivStructure& source, SubDivStructure& target);
    std::string line;
  } const rows[] = {
      {"target not empty", [](SubDivStructure&, SubDivStructure& t) { t.Points.Append(SubDivPoint::Base(0)); },
       "SubDivStructure::SubDivide: the target of \"x\" is not an empty structure.\n"},
      {"edge point out of range", [](SubDivStructure& s, SubDivStructure&) { s.Edges[2].points[0] = -1; },
       "SubDivStructure::SubDivide: edge 2 names point -1 of 4.\n"},
      {"face edge out of range", [](SubDivStructure& s, SubDivStructure&) { s.Faces[0].edges[3] = 99; },
       "SubDivStructure::SubDivide: face 0 names edge reference 99 of 4 edges.\n"},
      {"weight count out of range", [](SubDivStructure& s, SubDivStructure&) { s.Points[1].weightCount = -3; },
       "SubDivStructure::SubDivide: point 1 has a weight count of -3.\n"},
  };
  for (const Row& r : rows) {
    SubDivStructure s = BuildStructure(4, {{0, 1, 2, 3}}), t;
    r.spoil(s, t);
    const int targetPoints = t.Points.Count();
    ErrorLogCapture log;
    s.SubDivide(t, "x");
    EXPECT_EQ(Texts(log), std::vector<std::string>{r.line}) << r.what;
    EXPECT_EQ(t.Points.Count(), targetPoints) << r.what;
    EXPECT_TRUE(t.Edges.IsEmpty() && t.Faces.IsEmpty()) << r.what;
    EXPECT_EQ(s.Faces[0].facePoint, -1) << r.what;
  }
  SubDivStructure s = BuildStructure(4, {{0, 1, 2, 3}});
  ErrorLogCapture log;
  s.SubDivide(s, "self");
  EXPECT_EQ(Texts(log), std::vector<std::string>{
                            "SubDivStructure::SubDivide: the target of \"self\" is not an empty structure.\n"});
  EXPECT_EQ(s.Points.Count(), 4);
}

TEST(SubDivide, ProjectionRefusesTriangles) {
  SubDivStructure s = BuildStructure(5, {{0, 1, 2, 3}, {1, 4, 2}});
  s.Points[0].faceCount = 7;  // adjacency stays as it was, too
  ErrorLogCapture log;
  EXPECT_FALSE(s.ProjectToLimit());
  EXPECT_EQ(Texts(log), std::vector<std::string>{
                            "SubDivStructure::ProjectToLimit: face 1 is a triangle; only quads can be projected.\n"});
  EXPECT_EQ(log.Messages()[0].level, kLevelError);
  for (int v = 0; v < 5; ++v) EXPECT_TRUE(SameWeights(s.Points[v], {{v, 1.0f}}));
  EXPECT_EQ(s.Points[0].faceCount, 7);
}

TEST(SubDivide, ProjectionOfARegularPoint) {
  // The middle point of a 2 x 2 grid has valence 4: (16 V + 4 edge neighbours + diagonals) / 36.
  SubDivStructure s = BuildStructure(Grid(2, [](float, float) { return 0.0f; }));
  s.Points[4].edgeCount = 3;  // edge adjacency is neither read nor rewritten
  ASSERT_TRUE(s.ProjectToLimit());
  EXPECT_TRUE(SameWeights(s.Points[4], {{4, 16.0f / 36},
                                        {1, 4.0f / 36},
                                        {3, 4.0f / 36},
                                        {5, 4.0f / 36},
                                        {7, 4.0f / 36},
                                        {0, 1.0f / 36},
                                        {2, 1.0f / 36},
                                        {6, 1.0f / 36},
                                        {8, 1.0f / 36}}));
  EXPECT_EQ(s.Points[4].edgeCount, 3);
  EXPECT_EQ(s.Points[4].faceCount, 4);
}

TEST(SubDivide, VertexPointsEqualTheIndexOrderRuleBitForBit) {
  for (const TestMesh& m : {CubeSphere(6, 5), Grid(5, [](float x, float y) { return x * y; })}) {
    SubDivStructure base = BuildStructure(int(m.positions.size()) + 1, m.faces), level;  // one unused point
    base.SubDivide(level, "test");
    for (int v = 0; v < base.Points.Count(); ++v) {
      const SubDivPoint& src = base.Points[v];
      const int ev = src.edgeCount, fv = src.faceCount;
      SubDivPoint want{};
      if (ev == 0) {
        want.CopyFrom(src);
      } else {
        want.CopyScaled(src, float(ev - 3));
        for (int i = fv - 1; i >= 0; --i)
          want.AddScaled(level.Points[base.Faces[src.faces[i] >> 2].facePoint], 1.0f / float(fv));
        for (int i = ev - 1; i >= 0; --i) {
          const SubDivEdge& e = base.Edges[EdgeOf(src.edges[i])];
          want.AddScaled(base.Points[e.points[0]], 1.0f / float(ev));
          want.AddScaled(base.Points[e.points[1]], 1.0f / float(ev));
        }
        want.Scale(1.0f / float(ev));
      }
      EXPECT_TRUE(SameBits(level.Points[v], want)) << v;
    }
  }
}

TEST(SubDivide, ProjectionEqualsTheIndexOrderRuleBitForBit) {
  // A sphere with triangles split in (irregular valences after a step) and an open grid (a boundary).
  for (const TestMesh& m : {CubeSphere(6, 5), Grid(5, [](float x, float y) { return x * y; })}) {
    SubDivStructure base = BuildStructure(m), level;
    base.SubDivide(level, "test");
    level.Points.Append(SubDivPoint::Base(0));  // a point on no face stays as it is
    std::vector<SubDivPoint> want = ReferenceLimit(level);
    ASSERT_TRUE(level.ProjectToLimit());
    ASSERT_EQ(size_t(level.Points.Count()), want.size());
    for (size_t v = 0; v < want.size(); ++v) {
      const SubDivPoint& got = level.Points[int(v)];
      EXPECT_TRUE(SameBits(got, want[v])) << v;
      EXPECT_EQ(got.faceCount, want[v].faceCount) << v;
    }
  }
}

// Every byte of the records two steps and the projection write (each point's list and what its record
// carries past it, edges and faces), pinned by digest from the code before the face and edge points were
// built where they go: meshes of quads, of quads and triangles, and a lone cube.
TEST(SubDivide, RecordBytesOfStepsAndProjectionArePinned) {
  auto digest = [](const SubDivStructure& s) { return RecordDigest(s); };
  struct Case {
    const char* what;
    TestMesh mesh;
    uint64_t one, two, limit;
  };
  const Case cases[] = {
      {"cube", Cube(), 0xc4ba319ad57d2f43ull, 0xdee1d648edb37fc8ull, 0x7f515f74a771bf27ull},
      {"sphere with triangles", CubeSphere(12, 5), 0xeb6dbad3097def3full, 0x29dfadb9d297dc4full, 0xe6dc280f760856caull},
      {"sphere, every second quad split", CubeSphere(9, 2), 0x4109af10009f2b3full, 0x6fbd2b5a6eb0fab9ull,
       0xc8dfdfbaaf464b5eull},
  };
  for (const Case& c : cases) {
    SubDivStructure base = BuildStructure(c.mesh), one, two;
    base.SubDivide(one, "pinned");
    one.SubDivide(two, "pinned");
    EXPECT_EQ(digest(one), c.one) << c.what;
    EXPECT_EQ(digest(two), c.two) << c.what;
    ASSERT_TRUE(two.ProjectToLimit()) << c.what;
    EXPECT_EQ(digest(two), c.limit) << c.what;
  }
}

}  // namespace
}  // namespace PM::Test
