// The evaluation of a level into vertex data as the geometry reads it: positions summed during the
// adjacency sweep equal to the separate passes, and normals over a corner table equal to those read
// through the edges, bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivTestMesh.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

template <class E>
bool SameBytes(const Array<E>& a, const Array<E>& b) {
  return a.Count() == b.Count() && std::memcmp(a.Data(), b.Data(), sizeof(E) * size_t(a.Count())) == 0;
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
  };
  const Case cases[] = {{"a level with triangles", false}, {"a refused level", true}};
  const TestMesh mesh = CubeSphere(9, 4);
  const SubDivData baseData = BaseValues(mesh);
  for (const Case& c : cases) {
    SubDivStructure base = BuildStructure(mesh), level;
    base.SubDivide(level, "test");
    if (c.breakEdge) level.Edges[3].points[0] = level.Points.Count() + 5;
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
    EXPECT_TRUE(SameBytes(level.Points, separate.Points)) << c.what;
    EXPECT_EQ(got.vertexCount, want.vertexCount) << c.what;
    EXPECT_TRUE(SameBytes(got.positions, want.positions)) << c.what;
    ASSERT_EQ(got.vectorChannels.size(), 1u) << c.what;
    EXPECT_TRUE(SameBytes(got.vectorChannels[0], want.vectorChannels[0])) << c.what;
  }
}

TEST(SubDivGeometryPasses, NormalsOverTheCornerTableEqualThoseThroughTheEdges) {
  struct Case {
    const char* what;
    TestMesh mesh;
    int steps;
  };
  const Case cases[] = {{"a base of quads and triangles", CubeSphere(6, 3), 0},
                        {"a stepped level", CubeSphere(6, 3), 1},
                        {"a cube with an unused point", Cube(), 2}};
  for (const Case& c : cases) {
    const SubDivData baseData = BaseValues(c.mesh);
    SubDivStructure level = BuildStructure(int(c.mesh.positions.size()) + 1, c.mesh.faces);
    for (int s = 0; s < c.steps; ++s) {
      SubDivStructure next;
      level.SubDivide(next, "test");
      level = std::move(next);
    }
    SubDivData values;
    SubDivGeometry::EvaluatePositions(level, baseData, values);
    Array<Vector3f> throughEdges, throughTable;
    SubDivGeometry::ComputeNormals(level, values, values.positions, false, throughEdges);
    SubDivGeometry::ComputeNormals(level, values, values.positions, false, throughTable, level.CornerTable().get());
    EXPECT_TRUE(SameBytes(throughTable, throughEdges)) << c.what;
  }
}

}  // namespace
}  // namespace PM::Test
