// The corner table the evaluation's adjacency pass made goes with its word to the nodes, and is read
// only for the level and arrays it was made from: any other level, or faces changed since, gets a
// table of its own, so the nodes build what they build without the word.
#include <string>

#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

using SubDivCornerHandOverTest = MeshWorld;

std::string Bytes(const Obj<TBranch_I>& node) {
  std::string bytes;
  auto add = [&](const auto& a) {
    bytes.append(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
  };
  for (int32_t i = 0; node && i < node->ChildCount(); ++i) {
    auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(node->GetChild(i))->GetSNode());
    add(g->m_indices);
    add(g->m_vertices);
    add(g->m_normals);
  }
  return bytes;
}

// Every quad starts one corner later: the same counts and a valid level, but other corners.
void RotateQuads(Array<SubDivFace>& faces) {
  for (SubDivFace& f : faces) {
    if (!f.IsQuad()) continue;
    const SubDivFace was = f;
    for (int k = 0; k < 4; ++k) {
      f.edges[k] = was.edges[(k + 1) % 4];
      f.params[k] = was.params[(k + 1) % 4];
    }
  }
}

TEST_F(SubDivCornerHandOverTest, NodesReadTheHandedTableOnlyForTheLevelAndArraysItWasMadeFrom) {
  MeshText t = ClockwiseCube();
  CrossUVs(t);
  t.shaders = {"red", "blue"};
  auto [m, d] = Build(t, "cube");
  ASSERT_TRUE(m && d);
  SubDivStructure base, good;
  SubDivData baseData;
  AssignMeshToSubDiv(*m, *d, base, baseData, "g");
  base.SubDivide(good, "g");
  SubDivStructure rotated = good;
  RotateQuads(rotated.Faces);

  // The nodes from `from` with the word, against the same nodes with none.
  auto compare = [&](const SubDivStructure& from, SubDivData& out, SubDivLevelChecked& checked, const char* what) {
    SubDivData alone = out;
    LogCapture log;
    Obj<TBranch_I> handed, own;
    AssignSubDivToGeometry(handed, from, baseData, "g", out, nullptr, &checked);
    const std::string handedLog = log.Take();
    AssignSubDivToGeometry(own, from, baseData, "g", alone, nullptr, nullptr);
    EXPECT_FALSE(handed.IsNil()) << what;
    EXPECT_TRUE(Bytes(handed) == Bytes(own)) << what;
    EXPECT_EQ(handedLog, log.Take()) << what;
    return Bytes(own);
  };
  std::string goodBytes, rotatedBytes;
  {
    SubDivStructure level = good;
    SubDivData out;
    SubDivLevelChecked checked;
    AssignSubDivToGeometry(base, level, baseData, "g", out, &checked);
    goodBytes = compare(level, out, checked, "the level itself");
    SubDivStructure other = rotated;
    SubDivLevelChecked none;
    rotatedBytes = compare(other, out, none, "no word");
  }
  ASSERT_NE(goodBytes, rotatedBytes) << "a stale table would show";

  struct Case {
    const char* what;
    void (*prepare)(SubDivStructure& level, const SubDivStructure& rotated, SubDivStructure& other,
                    SubDivLevelChecked& checked, SubDivStructure*& from);
  };
  const Case cases[] = {
      {"another level of the same size",
       [](SubDivStructure&, const SubDivStructure& r, SubDivStructure& other, SubDivLevelChecked&,
          SubDivStructure*& from) {
         other = r;
         from = &other;
       }},
      {"the same level with its faces replaced",
       [](SubDivStructure& level, const SubDivStructure& r, SubDivStructure&, SubDivLevelChecked&,
          SubDivStructure*& from) {
         level.Faces = r.Faces;
         from = &level;
       }},
      {"a word already taken, the faces changed in place",
       [](SubDivStructure& level, const SubDivStructure&, SubDivStructure&, SubDivLevelChecked& c,
          SubDivStructure*& from) {
         SubDivScratchBuffer<int32_t> table;
         EXPECT_TRUE(c.Take(level, &table));
         EXPECT_NE(table.get(), nullptr);
         RotateQuads(level.Faces);
         from = &level;
       }},
      {"a word the evaluation of a refused level cleared, the faces changed in place",
       [](SubDivStructure& level, const SubDivStructure&, SubDivStructure& other, SubDivLevelChecked& c,
          SubDivStructure*& from) {
         other = level;
         other.Edges[3].points[0] = -1;
         SubDivData again;
         AssignSubDivToGeometry(other, other, SubDivData(), "g", again, &c);
         RotateQuads(level.Faces);
         from = &level;
       }},
  };
  for (const Case& c : cases) {
    SubDivStructure level = good, other;
    SubDivData out;
    SubDivLevelChecked checked;
    AssignSubDivToGeometry(base, level, baseData, "g", out, &checked);
    SubDivStructure* from = nullptr;
    c.prepare(level, rotated, other, checked, from);
    EXPECT_TRUE(compare(*from, out, checked, c.what) == rotatedBytes) << c.what;
  }
}

}  // namespace
}  // namespace PM::Test
