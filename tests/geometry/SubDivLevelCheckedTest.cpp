// The evaluation's word that a level passed its check stands in for the nodes' own check only for the
// level it names, as it was, and only once: any other level is checked again, and refused when broken.
#include <string>

#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

using SubDivLevelCheckedTest = MeshWorld;

// Every byte the nodes built: indices, positions, normals and coordinates of each child.
std::string Bytes(const Obj<TBranch_I>& node) {
  std::string bytes;
  auto add = [&](const auto& a) {
    bytes.append(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
  };
  for (int32_t i = 0; i < node->ChildCount(); ++i) {
    auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(node->GetChild(i))->GetSNode());
    add(g->m_indices);
    add(g->m_vertices);
    add(g->m_normals);
    add(static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(0))->m_data);
  }
  return bytes;
}

TEST_F(SubDivLevelCheckedTest, NodesTakeTheEvaluationsCheckOnlyForTheLevelItNamesAsItWas) {
  MeshText t = ClockwiseCube();
  CrossUVs(t);
  t.shaders = {"red", "blue"};
  auto [m, d] = Build(t, "cube");
  ASSERT_TRUE(m && d);
  SubDivStructure base, good;
  SubDivData baseData;
  AssignMeshToSubDiv(*m, *d, base, baseData, "g");
  base.SubDivide(good, "g");
  const std::string refusal = "AssignSubDivToGeometry: edge 3 names point";
  auto broken = [&] {
    SubDivStructure s = good;
    s.Edges[3].points[0] = s.Points.Count() + 5;
    return s;
  };

  // The nodes with the word give the bytes and log lines of the nodes checking for themselves.
  std::string want, wantLog;
  for (bool handed : {false, true}) {
    SubDivStructure level = good;
    SubDivData out;
    SubDivLevelChecked checked;
    LogCapture log;
    AssignSubDivToGeometry(base, level, baseData, "g", out, &checked);
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, level, baseData, "g", out, nullptr, handed ? &checked : nullptr);
    ASSERT_FALSE(node.IsNil());
    ASSERT_EQ(node->ChildCount(), 2);
    if (!handed) {
      want = Bytes(node);
      wantLog = log.Take();
    } else {
      EXPECT_EQ(Bytes(node), want);
      EXPECT_EQ(log.Take(), wantLog);
      EXPECT_FALSE(checked.Take(level)) << "the word is taken once";
    }
  }

  // The word an evaluation of `level` gives, then what the case does before the nodes are built from
  // `from`, which by then is broken.
  struct Case {
    const char* what;
    void (*prepare)(SubDivStructure& level, const SubDivStructure& broken, SubDivStructure& other,
                    SubDivLevelChecked& checked, SubDivStructure*& from);
  };
  const Case cases[] = {
      {"another level",
       [](SubDivStructure&, const SubDivStructure& b, SubDivStructure& other, SubDivLevelChecked&,
          SubDivStructure*& from) {
         other = b;
         from = &other;
       }},
      {"the same level with its edges replaced",
       [](SubDivStructure& level, const SubDivStructure& b, SubDivStructure&, SubDivLevelChecked&,
          SubDivStructure*& from) {
         level.Edges = b.Edges;
         from = &level;
       }},
      {"a word already taken",
       [](SubDivStructure& level, const SubDivStructure& b, SubDivStructure&, SubDivLevelChecked& c,
          SubDivStructure*& from) {
         EXPECT_TRUE(c.Take(level));
         level.Edges[3] = b.Edges[3];  // in place: the arrays stay where they were
         from = &level;
       }},
      {"a word the evaluation of a refused level cleared",
       [](SubDivStructure& level, const SubDivStructure& b, SubDivStructure&, SubDivLevelChecked& c,
          SubDivStructure*& from) {
         level.Edges[3] = b.Edges[3];
         SubDivData again;
         AssignSubDivToGeometry(level, level, SubDivData(), "g", again, &c);
         from = &level;
       }},
  };
  const SubDivStructure bad = broken();
  for (const Case& c : cases) {
    SubDivStructure level = good, other;
    SubDivData out;
    SubDivLevelChecked checked;
    AssignSubDivToGeometry(base, level, baseData, "g", out, &checked);
    SubDivStructure* from = nullptr;
    c.prepare(level, bad, other, checked, from);
    LogCapture log;
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, *from, baseData, "g", out, nullptr, &checked);
    EXPECT_TRUE(node.IsNil()) << c.what;
    EXPECT_NE(log.Take().find(refusal), std::string::npos) << c.what;
  }
}

}  // namespace
}  // namespace PM::Test
