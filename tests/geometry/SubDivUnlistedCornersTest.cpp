// Corners whose parameter lies outside the table, on faces of any base face including none (-1): each
// still gets a vertex of its own point, never -1 or another point's, and the build logs the parameter
// once, however many corners carry it; the evaluation's float channels likewise.
#include <set>
#include <string>

#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivParam.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

// The crossed cube with one shader, converted into `base` and stepped once into `level`.
class SubDivUnlistedCornersTest : public MeshWorld {
 protected:
  void MakeCube() {
    MeshText t = ClockwiseCube();
    CrossUVs(t);
    t.shaders = {"red"};
    auto [m, d] = Build(t, "cube");
    ASSERT_TRUE(m && d);
    AssignMeshToSubDiv(*m, *d, base, baseData, "g");
  }
  SubDivStructure base, good;
  SubDivData baseData;
};

TEST_F(SubDivUnlistedCornersTest, EveryCornerGetsAVertexOfItsPoint) {
  ASSERT_NO_FATAL_FAILURE(MakeCube());
  base.SubDivide(good, "g");

  struct Case {
    const char* what;
    int32_t sourceFace;  // given to every face; kKeep leaves each its own
    int32_t param;       // given to the corners that `unlisted` picks
    bool (*unlisted)(size_t face, int k);
  };
  constexpr int32_t kKeep = -2;
  const Case cases[] = {
      {"no base face, -1 at corners 0 and 2", -1, -1, [](size_t, int k) { return k % 2 == 0; }},
      {"no base face, -1 at every corner", -1, -1, [](size_t, int) { return true; }},
      {"no base face, past the table at corner 1", -1, SubDivParamTable::kEntries,
       [](size_t, int k) { return k == 1; }},
      {"own base faces, -1 on every other face", kKeep, -1, [](size_t f, int) { return f % 2 == 0; }},
      {"a base face past the mesh's", 1 << 20, -1, [](size_t, int k) { return k == 3; }},
  };
  for (const Case& c : cases) {
    SubDivStructure level = good;
    int unlisted = 0;
    for (size_t f = 0; f < size_t(level.Faces.Count()); ++f) {
      SubDivFace& face = level.Faces[int32_t(f)];
      if (c.sourceFace != kKeep) face.sourceFace = c.sourceFace;
      for (int k = 0; k < face.CornerCount(); ++k)
        if (c.unlisted(f, k)) {
          face.params[k] = c.param;
          ++unlisted;
        }
    }
    ASSERT_GT(unlisted, 8) << c.what;
    SubDivData out;
    Obj<TBranch_I> node;
    {
      LogCapture log;
      AssignSubDivToGeometry(base, level, baseData, "g", out);
    }
    // Each build logs the line once: the build before does not silence the next.
    const std::string line = "Error SubDivParamTable: parameter " + std::to_string(c.param) + " out of range.\n";
    for (int build = 0; build < 2; ++build) {
      LogCapture log;
      AssignSubDivToGeometry(node, level, baseData, "g", out, nullptr);
      EXPECT_EQ(log.Count(line), 1) << c.what << ", build " << build;
      EXPECT_EQ(log.Count("out of range"), 1) << c.what << ", build " << build;
    }
    ASSERT_FALSE(node.IsNil()) << c.what;
    ASSERT_EQ(node->ChildCount(), 1) << c.what;
    auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(node->GetChild(0))->GetSNode());
    ASSERT_EQ(out.shaderVertices.size(), 1u) << c.what;
    const Array<int32_t>& pointOf = out.shaderVertices[0];
    ASSERT_EQ(g->m_vertices.Count(), pointOf.Count()) << c.what;
    // The triangles in face order: a quad's corners 0 1 2, 0 2 3, a triangle's 0 1 2.
    std::vector<int32_t> want;
    for (const SubDivFace& face : level.Faces) {
      int32_t p[4];
      for (int k = 0; k < face.CornerCount(); ++k) p[k] = level.StartPoint(face.edges[k]);
      want.insert(want.end(), {p[0], p[1], p[2]});
      if (face.IsQuad()) want.insert(want.end(), {p[0], p[2], p[3]});
    }
    ASSERT_EQ(size_t(g->m_indices.Count()), want.size()) << c.what;
    std::set<int32_t> seen;
    for (size_t i = 0; i < want.size(); ++i) {
      const int32_t v = g->m_indices[int32_t(i)];
      ASSERT_TRUE(v >= 0 && v < pointOf.Count()) << c.what << " index " << i << " is " << v;
      EXPECT_EQ(pointOf[v], want[i]) << c.what << " index " << i;
      seen.insert(v);
    }
    EXPECT_EQ(int32_t(seen.size()), pointOf.Count()) << c.what << ": a vertex no corner takes";
  }
}

// The evaluation's float channels: a point whose corner parameter lies outside the table weighs nothing
// (its value is 0), the others are blended as before, and the evaluation logs the parameter once.
TEST_F(SubDivUnlistedCornersTest, FloatChannelsLogOnceAndWeighNothing) {
  ASSERT_NO_FATAL_FAILURE(MakeCube());
  baseData.floatChannels.emplace_back();
  for (int32_t i = 0; i < base.Points.Count(); ++i) baseData.floatChannels[0].Append(1.0f);
  base.SubDivide(good, "g");
  SubDivData before;
  {
    SubDivStructure level = good;
    AssignSubDivToGeometry(base, level, baseData, "g", before);
  }
  SubDivStructure level = good;
  for (SubDivFace& face : level.Faces)
    if ((&face - level.Faces.Data()) % 2 == 0)
      for (int32_t& param : face.params) param = -7;
  SubDivData out;
  LogCapture log;
  AssignSubDivToGeometry(base, level, baseData, "g", out);
  EXPECT_EQ(log.Count("Error SubDivParamTable: parameter -7 out of range.\n"), 1);
  EXPECT_EQ(log.Count("out of range"), 1);
  ASSERT_EQ(out.floatChannels.size(), 1u);
  ASSERT_EQ(out.floatChannels[0].Count(), level.Points.Count());
  int zeroed = 0;
  for (int32_t i = 0; i < level.Points.Count(); ++i) {
    const SubDivPoint& p = level.Points[i];
    if (p.faceCount == 0) continue;
    const bool unlisted = (p.faces[0] >> 2) % 2 == 0;
    zeroed += unlisted;
    EXPECT_EQ(out.floatChannels[0][i], unlisted ? 0.0f : before.floatChannels[0][i]) << "point " << i;
  }
  EXPECT_GT(zeroed, 4);
}

}  // namespace
}  // namespace PM::Test
