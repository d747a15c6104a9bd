// The word that a level passed its check stands in for the next call's own check only for the level it
// names, as it was, only once and only from the call it is meant for: any other level is checked again,
// and refused when broken. The steps' and the projection's words change no byte of what is built.
#include <cstring>
#include <string>

#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivTestMesh.h"
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

std::string LevelBytes(const SubDivStructure& s) {
  std::string bytes;
  auto add = [&](const auto& a) {
    bytes.append(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
  };
  add(s.Points);
  add(s.Edges);
  add(s.Faces);
  return bytes;
}

// The table a word carries for s, which it must name; the word is taken.
std::string TableOf(SubDivLevelChecked& word, const SubDivStructure& s) {
  SubDivScratchBuffer<int32_t> table;
  EXPECT_TRUE(word.Take(s, &table));
  if (!table.get()) return "none";
  return std::string(reinterpret_cast<const char*>(table.get()), sizeof(int32_t) * 4 * size_t(s.Faces.Count()));
}
std::string TableOf(const SubDivStructure& s) {
  const SubDivScratchBuffer<int32_t> table = s.CornerTable();
  return std::string(reinterpret_cast<const char*>(table.get()), sizeof(int32_t) * 4 * size_t(s.Faces.Count()));
}

TEST_F(SubDivLevelCheckedTest, StepsAndTheProjectionHandOnTheirCheckAndTableAndChangeNoByte) {
  MeshText cube = ClockwiseCube();
  CrossUVs(cube);
  cube.shaders = {"red", "blue"};
  // Quads, triangles and a polygon the conversion refuses (its faces are skipped by the steps).
  const TestMesh sphere = CubeSphere(6, 4);
  MeshText mixed = Shape(sphere.positions, sphere.faces);
  mixed.faces.push_back({0, 1, 2, 3, 4});
  for (const MeshText* t : {&cube, &mixed}) {
    SCOPED_TRACE(t == &cube ? "cube" : "mixed");
    auto [m, d] = Build(*t, t == &cube ? "cube" : "mixed");
    ASSERT_TRUE(m && d);
    SubDivStructure base;
    SubDivData baseData;
    AssignMeshToSubDiv(*m, *d, base, baseData, "w");

    // Each step's table is the CornerTable of the level it made, and a step taking the word of the one
    // before makes the level it makes without.
    {
      SubDivStructure one, two, alone;
      SubDivLevelChecked word;
      base.SubDivide(one, "w", &word);
      EXPECT_EQ(TableOf(word, one), TableOf(one));
      base.SubDivide(alone, "w", &word);  // marks `alone`, not `one`
      one.SubDivide(two, "w", &word);
      EXPECT_EQ(TableOf(word, two), TableOf(two));
      SubDivStructure twoAlone;
      one.SubDivide(twoAlone, "w");
      EXPECT_EQ(LevelBytes(two), LevelBytes(twoAlone));
    }

    // The mesh group's chain (two steps, the projection, the evaluation, the nodes) with the words and
    // without: the same levels, geometry and log lines.
    std::string want[3];
    for (bool words : {false, true}) {
      SubDivLevelChecked word;
      SubDivLevelChecked* w = words ? &word : nullptr;
      SubDivStructure from = base, one, two;
      SubDivData out;
      LogCapture log;
      from.SubDivide(one, "w", w);
      one.SubDivide(two, "w", w);
      EXPECT_TRUE(two.ProjectToLimit(w));
      AssignSubDivToGeometry(from, two, baseData, "w", out, w);
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, two, baseData, "w", out, nullptr, w);
      ASSERT_FALSE(node.IsNil());
      const std::string got[3] = {LevelBytes(one) + LevelBytes(two), Bytes(node), log.Take()};
      for (int i = 0; i < 3; ++i) {
        if (!words)
          want[i] = got[i];
        else
          EXPECT_TRUE(got[i] == want[i]) << "part " << i;
      }
    }
  }
}

void Break(SubDivStructure& s) { s.Edges[3].points[0] = s.Points.Count() + 5; }

TEST_F(SubDivLevelCheckedTest, StepsAndTheProjectionTakeOnlyAStepsWordForTheirOwnLevel) {
  MeshText t = ClockwiseCube();
  CrossUVs(t);
  t.shaders = {"red"};
  auto [m, d] = Build(t, "cube");
  ASSERT_TRUE(m && d);
  SubDivStructure base;
  SubDivData baseData;
  AssignMeshToSubDiv(*m, *d, base, baseData, "g");
  // A word, then the level broken where the check looks: a call that checks for itself refuses it and
  // says so; one that took the word would read past the points.
  struct Case {
    const char* what;
    void (*prepare)(SubDivStructure& base, SubDivStructure& level, SubDivStructure& other, SubDivLevelChecked& word,
                    const SubDivData& baseData, SubDivStructure*& from);
  };
  const Case cases[] = {
      {"another level",
       [](SubDivStructure& b, SubDivStructure& level, SubDivStructure& other, SubDivLevelChecked& w, const SubDivData&,
          SubDivStructure*& from) {
         b.SubDivide(level, "g", &w);
         other = level;
         Break(other);
         from = &other;
       }},
      {"the same level with its edges replaced",
       [](SubDivStructure& b, SubDivStructure& level, SubDivStructure&, SubDivLevelChecked& w, const SubDivData&,
          SubDivStructure*& from) {
         b.SubDivide(level, "g", &w);
         Array<SubDivEdge> edges = level.Edges;
         level.Edges = edges;
         Break(level);
         from = &level;
       }},
      {"a word already taken",
       [](SubDivStructure& b, SubDivStructure& level, SubDivStructure&, SubDivLevelChecked& w, const SubDivData&,
          SubDivStructure*& from) {
         b.SubDivide(level, "g", &w);
         EXPECT_TRUE(w.Take(level));
         Break(level);
         from = &level;
       }},
      {"the evaluation's word",
       [](SubDivStructure& b, SubDivStructure& level, SubDivStructure&, SubDivLevelChecked& w, const SubDivData& bd,
          SubDivStructure*& from) {
         b.SubDivide(level, "g");
         SubDivData out;
         AssignSubDivToGeometry(b, level, bd, "g", out, &w);
         Break(level);
         from = &level;
       }},
      {"a word a step with a full target took",
       [](SubDivStructure& b, SubDivStructure& level, SubDivStructure& other, SubDivLevelChecked& w, const SubDivData&,
          SubDivStructure*& from) {
         b.SubDivide(level, "g", &w);
         other = level;
         level.SubDivide(other, "g", &w);  // refused: the target is not empty
         Break(level);
         from = &level;
       }},
  };
  for (const Case& c : cases) {
    for (int call = 0; call < 3; ++call) {
      const char* const calls[] = {"SubDivStructure::SubDivide", "SubDivStructure::ProjectToLimit",
                                   "AssignSubDivToGeometry"};
      SCOPED_TRACE(std::string(c.what) + ", " + calls[call]);
      SubDivStructure from0 = base, level, other, next;
      SubDivLevelChecked word;
      SubDivStructure* from = nullptr;
      c.prepare(from0, level, other, word, baseData, from);
      LogCapture log;
      const std::string before = LevelBytes(*from);
      if (call == 0) {
        from->SubDivide(next, "g", &word);
        EXPECT_TRUE(next.Points.IsEmpty());
      } else if (call == 1) {
        EXPECT_FALSE(from->ProjectToLimit(&word));
      } else {
        SubDivData out;
        AssignSubDivToGeometry(from0, *from, baseData, "g", out, &word);
      }
      EXPECT_NE(log.Take().find(std::string(call == 2 ? "UpdateVertexToEdge" : calls[call]) + ": edge 3 names point"),
                std::string::npos);
      EXPECT_EQ(LevelBytes(*from), before);
      EXPECT_FALSE(word.Take(*from));
    }
  }
}

}  // namespace
}  // namespace PM::Test
