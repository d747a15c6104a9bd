// The evaluation of a level into vertex data as the geometry reads it: positions summed during the
// adjacency sweep equal to the separate passes, and normals over a corner table equal to those read
// through the edges, bit for bit, and the sweep's runs of records handed to its sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivTestMesh.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

template <class E>
bool SameBytes(const Array<E>& a, const Array<E>& b) {
  return a.Count() == b.Count() && std::memcmp(a.Data(), b.Data(), sizeof(E) * size_t(a.Count())) == 0;
}

// Runs `check` with each form of the lanes (the widest the processor has, then SSE2 alone), then leaves
// the default: every form must give the same bits.
template <class F>
void EachLaneForm(F&& check) {
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "widest lanes" : "SSE2 lanes");
    SubDivGeometry::UseWideLanes(wide);
    check();
  }
  SubDivGeometry::UseWideLanes(true);
}

// Base values of a mesh: its positions and one morph channel of made-up deltas.
SubDivData BaseValues(const TestMesh& m) {
  SubDivData d;
  Array<Vector3f> deltas;
  for (size_t i = 0; i < m.positions.size(); ++i) {
    const Vector3f& p = m.positions[i];
    d.positions.Append(p);
    deltas.Append({p.y * 0.25f, -p.x * 0.5f, float(i % 7) * 0.125f});
  }
  d.vectorChannels.push_back(deltas);
  return d;
}

TEST(SubDivGeometryPasses, PositionsSummedInTheAdjacencySweepEqualTheSeparatePasses) {
  struct Case {
    const char* what;
    bool breakEdge;  // a level the reference check refuses is evaluated all the same
    bool outside;    // lists of every length naming base points that do not exist, which add nothing
  };
  const Case cases[] = {{"a level with triangles", false, false},
                        {"a refused level", true, false},
                        {"indices outside the base points", false, true}};
  const TestMesh mesh = CubeSphere(9, 4);
  const SubDivData baseData = BaseValues(mesh);
  EachLaneForm([&] {
    for (const Case& c : cases) {
      SubDivStructure base = BuildStructure(mesh), level;
      base.SubDivide(level, "test");
      if (c.breakEdge) level.Edges[3].points[0] = level.Points.Count() + 5;
      if (c.outside) {
        const int32_t count = baseData.positions.Count();
        const int32_t outside[] = {-1, count, INT32_MIN, count + 1000, INT32_MAX};
        for (int32_t i = 0, j = 0; i < level.Points.Count(); i += 7, ++j) {
          SubDivPoint& p = level.Points[i];
          const int n = j % (kSubDivMaxWeights + 1);
          for (int k = p.weightCount; k < n; ++k) {
            p.indices[k] = (i + k * 13) % count;
            p.weights[k] = 0.0625f * float(k + 1);
          }
          p.weightCount = int8_t(n);
          // One entry outside, anywhere in the list; past the first eight and sixteen as well.
          if (n > 0) p.indices[(j * 5) % n] = outside[j % 5];
        }
      }
      SubDivStructure separate = level;
      SubDivData want;
      LogCapture log;
      separate.UpdateVertexToEdge();
      separate.UpdateVertexToFace();
      SubDivGeometry::EvaluatePositions(separate, baseData, want);
      const std::string wantLines = log.Take();

      SubDivData got;
      AssignSubDivToGeometry(base, level, baseData, "test", got);
      EXPECT_EQ(log.Take(), "Debug SubDiv: AssignSubDivToGeometry test.\n" + wantLines) << c.what;
      EXPECT_EQ(c.breakEdge, !wantLines.empty()) << c.what;
      EXPECT_TRUE(std::all_of(got.positions.begin(), got.positions.end(), [](const Vector3f& v) {
        return std::isfinite(v.x + v.y + v.z);
      })) << c.what;
      EXPECT_TRUE(SameBytes(level.Points, separate.Points)) << c.what;
      EXPECT_EQ(got.vertexCount, want.vertexCount) << c.what;
      EXPECT_TRUE(SameBytes(got.positions, want.positions)) << c.what;
      ASSERT_EQ(got.vectorChannels.size(), 1u) << c.what;
      EXPECT_TRUE(SameBytes(got.vectorChannels[0], want.vectorChannels[0])) << c.what;
    }
  });
}

// The sweep hands its sink every record once, in index order, in runs of at most 32 that start where the
// last ended, each record as the sweep left it; a sink that takes points one by one hears the same, on
// levels of 1, 32, 33 and a few hundred points (the run boundary and the last short run).
TEST(SubDivGeometryPasses, TheAdjacencySweepHandsEveryRecordOnceInRuns) {
  struct Runs final : SubDivPointSink {
    std::vector<std::pair<int32_t, int32_t>> runs;
    std::vector<int32_t> taken;
    const SubDivPoint* first = nullptr;
    bool sameRecords = true;
    void Take(int32_t i, const SubDivPoint&) override { taken.push_back(i); }
    void TakeRun(int32_t at, const SubDivPoint* points, int32_t count) override {
      runs.emplace_back(at, count);
      sameRecords &= points == first + at;
    }
  };
  struct One final : SubDivPointSink {
    std::vector<int32_t> taken;
    void Take(int32_t i, const SubDivPoint&) override { taken.push_back(i); }
  };
  SubDivStructure sphere;
  BuildStructure(CubeSphere(9, 4)).SubDivide(sphere, "test");
  for (const int32_t n : {1, 32, 33, sphere.Points.Count()}) {
    // A level of n points: the sphere's first n, its edges and faces dropped.
    SubDivStructure level;
    level.Points = sphere.Points;
    level.Points.SetCount(n);
    for (SubDivPoint& p : level.Points) p.weightCount = 0;
    if (n == sphere.Points.Count()) level = sphere;
    Runs runs;
    runs.first = level.Points.Data();
    ASSERT_TRUE(level.UpdateVertexAdjacency(&runs)) << n;
    EXPECT_TRUE(runs.taken.empty()) << n;
    EXPECT_TRUE(runs.sameRecords) << n;
    int32_t next = 0;
    for (const auto& [at, count] : runs.runs) {
      EXPECT_EQ(at, next) << n;
      EXPECT_TRUE(count >= 1 && count <= 32) << n << " " << count;
      next = at + count;
    }
    EXPECT_EQ(next, n);
    One one;
    ASSERT_TRUE(level.UpdateVertexAdjacency(&one)) << n;
    ASSERT_EQ(one.taken.size(), size_t(n));
    for (int32_t i = 0; i < n; ++i) EXPECT_EQ(one.taken[size_t(i)], i) << n;
  }
}

TEST(SubDivGeometryPasses, NormalsOverTheCornerTableEqualThoseThroughTheEdges) {
  struct Case {
    const char* what;
    TestMesh mesh;
    int steps;
    int skipped;  // a face marked as one the conversion could not take, or -1
  };
  const Case cases[] = {{"a base of quads and triangles", CubeSphere(6, 3), 0, -1},
                        {"a stepped level", CubeSphere(6, 3), 1, -1},
                        {"a cube with an unused point", Cube(), 2, -1},
                        {"a base with skipped faces", CubeSphere(6, 3), 0, 4}};
  for (const Case& c : cases) {
    const SubDivData baseData = BaseValues(c.mesh);
    SubDivStructure level = BuildStructure(int(c.mesh.positions.size()) + 1, c.mesh.faces);
    for (int s = 0; s < c.steps; ++s) {
      SubDivStructure next;
      level.SubDivide(next, "test");
      level = std::move(next);
    }
    if (c.skipped >= 0) {
      // A face and the first triangle: the table marks both rows as skipped.
      int triangle = 0;
      while (level.Faces[triangle].IsQuad()) ++triangle;
      level.Faces[c.skipped].edges[0] = -1;
      level.Faces[triangle].edges[0] = -1;
    }
    SubDivData values;
    SubDivGeometry::EvaluatePositions(level, baseData, values);
    Array<Vector3f> throughEdges, throughTable;
    SubDivGeometry::ComputeNormals(level, values, values.positions, false, throughEdges);
    SubDivGeometry::ComputeNormals(level, values, values.positions, false, throughTable, level.CornerTable().get());
    EXPECT_TRUE(SameBytes(throughTable, throughEdges)) << c.what;
  }
}

// A quad's corners get their normals four at a time: each must be the bits of the corner's own plane
// normal, negated and brought to unit length, on shapes whose rounding, zeros and NaNs differ.
TEST(SubDivGeometryPasses, QuadCornerNormalsAreThoseOfEachCornersPlane) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), big = 3.0e18f, tiny = 1.0e-19f;
  const std::vector<std::array<Vector3f, 4>> quads = {
      {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}},  // unit square: stays in the band
      {{{0.1f, 0.7f, -0.3f}, {2.9f, 0.2f, 0.4f}, {3.1f, 2.6f, 1.7f}, {-0.4f, 2.2f, 0.9f}}},  // bent, uneven
      {{{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}}},                                        // two corners on one place
      {{{2, 2, 2}, {2, 2, 2}, {2, 2, 2}, {2, 2, 2}}},                                        // all on one place: zero
      {{{-0.0f, 0, 0}, {0, -0.0f, 1}, {0, 1, -0.0f}, {1, 0, -0.0f}}},                        // negative zeros
      {{{big, 0, 0}, {0, big, 0}, {0, 0, big}, {big, big, 0}}},                              // products overflow
      {{{tiny, 0, 0}, {0, tiny, 0}, {0, 0, tiny}, {tiny, tiny, 0}}},                         // products underflow
      {{{0, 0, 0}, {1, 0, 1.0e-39f}, {1, 1, 0}, {0, 1, -1.0e-39f}}},  // in the band, components below normal
      {{{0, 0, 0}, {nan, 0, 0}, {1, 1, 0}, {0, 1, 0}}},               // a NaN corner
  };
  // Each quad on points of its own, so a point's normal is its one corner's.
  std::vector<std::vector<int>> faces;
  SubDivData values;
  for (const auto& q : quads) {
    const int b = values.positions.Count();
    faces.push_back({b, b + 1, b + 2, b + 3});
    for (const Vector3f& p : q) values.positions.Append(p);
  }
  const SubDivStructure s = BuildStructure(values.positions.Count(), faces);
  // Through the face records, and through the corner table, which takes quads two at a time where it can
  // (here all but the last, which holds the last point).
  EachLaneForm([&] {
    for (const bool table : {false, true}) {
      Array<Vector3f> normals;
      SubDivGeometry::ComputeNormals(s, values, values.positions, false, normals,
                                     table ? s.CornerTable().get() : nullptr);
      ASSERT_EQ(normals.Count(), values.positions.Count());
      for (size_t f = 0; f < quads.size(); ++f) {
        for (int k = 0; k < 4; ++k) {
          Vector3f want;
          want.SetPlaneNormal(quads[f][size_t((k + 3) & 3)], quads[f][size_t(k)], quads[f][size_t((k + 1) & 3)]);
          // Summed onto a zero normal, which turns a -0 into 0, then negated.
          want = {-(0.0f + want.x), -(0.0f + want.y), -(0.0f + want.z)};
          if (want.LengthSquared() > 0.0f) want.Normalize();
          const Vector3f& got = normals[int(f) * 4 + k];
          for (int c = 0; c < 3; ++c) {
            const float w = (&want.x)[c], g = (&got.x)[c];
            if (std::isnan(w))
              EXPECT_TRUE(std::isnan(g)) << "quad " << f << " corner " << k;
            else
              EXPECT_EQ(std::memcmp(&w, &g, sizeof w), 0)
                  << (table ? "table" : "records") << " quad " << f << " corner " << k << ": " << w << " " << g;
          }
        }
      }
    }
  });
}

// A quad's corner normals go onto their points' sums a whole four-float value at a time, touching the next
// point's x, and the sums are finished four points at a time: on quads crowded onto few neighbouring
// points (each sum taking many normals, the last point among them, one point on no face) every normal
// must hold the bits of adding component by component, face by face from the last, and finishing each
// point alone.
TEST(SubDivGeometryPasses, QuadNormalsSummedWholeEqualTheSumsComponentByComponent) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SubDivData values;
  const int points = 15, crowded = 13;  // point 13 on no face
  for (int i = 0; i < points; ++i)
    values.positions.Append({std::sin(float(i) * 1.7f) * 3.0f, float(i % 5) - 2.0f, std::cos(float(i) * 0.9f)});
  values.positions[4] = {-0.0f, 0.0f, -0.0f};
  values.positions[7] = {1.0e-20f, 3.0e19f, -1.0e-30f};
  values.positions[14] = {nan, 1, 2};  // the last point: its one face sums NaN onto its other three
  FaceList faces;
  uint32_t seed = 12345;
  auto next = [&](int below) {
    seed = seed * 1664525u + 1013904223u;
    return int((seed >> 8) % uint32_t(below));
  };
  for (int f = 0; f < 400; ++f) {
    std::vector<int> c;
    const int corners = f % 9 == 0 ? 3 : 4;
    // Corners apart, mostly on neighbouring points.
    while (int(c.size()) < corners) {
      const int p = c.empty() || next(5) == 0 ? next(crowded) : (c.back() + 1 + next(2)) % crowded;
      if (std::find(c.begin(), c.end(), p) == c.end()) c.push_back(p);
    }
    faces.push_back(c);
  }
  faces.push_back({10, 11, 12, 14});
  const SubDivStructure s = BuildStructure(points, faces);
  EachLaneForm([&] {
    Array<Vector3f> got;
    SubDivGeometry::ComputeNormals(s, values, values.positions, false, got, s.CornerTable().get());

    std::vector<Vector3f> want(points, Vector3f{0, 0, 0});
    for (int f = int(faces.size()) - 1; f >= 0; --f) {
      const std::vector<int>& c = faces[size_t(f)];
      const int n = int(c.size());
      for (int k = 0; k < n; ++k) {
        Vector3f pn;
        if (n == 3)
          pn.SetPlaneNormal(values.positions[c[0]], values.positions[c[1]], values.positions[c[2]]);
        else
          pn.SetPlaneNormal(values.positions[c[size_t((k + 3) % 4)]], values.positions[c[size_t(k)]],
                            values.positions[c[size_t((k + 1) % 4)]]);
        Vector3f& w = want[size_t(c[size_t(k)])];
        w = {w.x + pn.x, w.y + pn.y, w.z + pn.z};
      }
    }
    ASSERT_EQ(got.Count(), points);
    int nans = 0;
    for (int i = 0; i < points; ++i) {
      Vector3f w = {-want[size_t(i)].x, -want[size_t(i)].y, -want[size_t(i)].z};
      const float len2 = w.LengthSquared();
      if (len2 > 0.0f && (len2 < kUnitBandLow || len2 > kUnitBandHigh)) w.Normalize();
      for (int c = 0; c < 3; ++c) {
        const float wc = (&w.x)[c], gc = (&got[i].x)[c];
        if (std::isnan(wc)) {
          ++nans;
          EXPECT_TRUE(std::isnan(gc)) << "point " << i;
        } else {
          EXPECT_EQ(std::memcmp(&wc, &gc, sizeof wc), 0) << "point " << i << ": " << wc << " " << gc;
        }
      }
    }
    EXPECT_GT(nans, 0);
    EXPECT_LT(nans, points * 3);
  });
}

}  // namespace
}  // namespace PM::Test
