// Mesh groups built from meshes declared as script text: levels and their capping, rebuilding only on
// change, replacement of regions by other groups, vertex generators, skinned children, and what a
// rebuild holds.
#include <cstdio>
#include <set>
#include <tuple>

#include "FaceGenWorld.h"
#include "geometry/MeshGroup.h"
#include "geometry/ScratchStore.h"
#include "geometry/SkinPolygonGeometry.h"
#include "script/object/MemberAccess.h"

namespace PM::Test {
namespace {

using Point = std::tuple<float, float, float>;

class MeshGroups : public FaceGenWorld {
 protected:
  // The unit cube (shader s) as group g at `level`.
  TMeshGroup_I* Cube(int level, const std::string& more = std::string()) {
    MeshText t = ClockwiseCube();
    t.shaders = {"s"};
    Build(t, "m");
    return Parse<TMeshGroup_I>(
        "TMeshGroup:g . { .MeshStructure MeshStructure:m; .MeshData MeshData:md;"
        " .SubDivLevel " +
            std::to_string(level) + "; " + more + " };\n",
        "g");
  }
  // A 2 x 2 grid group (<name>g) whose points lie at z = -7, replacing from the start entries given.
  TMeshGroup_I* Grid(const std::string& name, const std::string& starts) {
    MeshText grid;
    for (int i = 0; i < 9; ++i) grid.points.push_back({0.5f * float(i % 3), 0.5f * float(i / 3), -7.0f});
    grid.faces = {{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}};
    Build(grid, name);
    return Parse<TMeshGroup_I>("TMeshGroup:" + name + "g . { .MeshStructure MeshStructure:" + name +
                                   "; .MeshData MeshData:" + name + "d; " + starts + " };\n",
                               (name + "g").c_str());
  }
  static SPolygonGeometry_I* Geometry(TMeshGroup_I* g) {
    if (g->ChildCount() < 1 || !g->GetChild(0)->IsA(TPolygonGeometry_I::kClassId)) return nullptr;
    return static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(g->GetChild(0))->GetSNode());
  }
  static std::multiset<Point> Points(const Array<Vector3f>& a) {
    std::multiset<Point> s;
    for (const Vector3f& v : a) s.insert({v.x, v.y, v.z});
    return s;
  }
  // The log holds "SubDiv creation speed: t(a+b) ms." with three whole numbers.
  static bool TimingLine(const std::string& log) {
    const std::string head = "Debug SubDiv creation speed: ";
    const size_t at = log.find(head);
    if (at == std::string::npos) return false;
    unsigned t = 0, a = 0, b = 0;
    char end[4] = {};
    return std::sscanf(log.c_str() + at + head.size(), "%u(%u+%u) ms%2[.\n]", &t, &a, &b, end) == 4 &&
           std::string(end) == ".\n";
  }
  static int CountAtZ(const Array<Vector3f>& a, float z) {
    int n = 0;
    for (const Vector3f& v : a) n += v.z == z;
    return n;
  }
};

TEST_F(MeshGroups, LevelsBuildCappedAndOnlyOnChange) {
  struct Case {
    int level;
    int triangles, vertices;
  };
  const Case cases[] = {{-1, 12, 8}, {0, 12, 8}, {1, 48, 26}, {4, 3072, 1538}, {7, 3072, 1538}};
  TMeshGroup_I* g = Cube(1);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->GetBuiltLevel(), TMeshGroup_I::kNotBuilt);
  Array<Vector3f> level4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    g->m_subDivLevel = c.level;
    m_log.Take();
    g->UpdateSubDiv();
    const std::string log = m_log.Take();
    EXPECT_TRUE(TimingLine(log)) << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    EXPECT_EQ(g->GetBuiltLevel(), c.level);
    SPolygonGeometry_I* s = Geometry(g);
    ASSERT_TRUE(s);
    EXPECT_EQ(g->ChildCount(), 1);
    EXPECT_EQ(s->m_indices.Count(), 3 * c.triangles);
    EXPECT_EQ(s->m_vertices.Count(), c.vertices);
    if (c.level == -1) {
      EXPECT_EQ(Points(s->m_vertices), Points(g->m_meshData->m_vertices));
    }
    if (c.level == 0) {
      for (const Vector3f& v : s->m_vertices) {
        // Each corner sits on the limit surface, inside the cube.
        EXPECT_GT(v.x, 0.0f);
        EXPECT_LT(v.x, 1.0f);
        EXPECT_GT(v.z, 0.0f);
        EXPECT_LT(v.z, 1.0f);
      }
    }
    if (c.level == 4) level4 = s->m_vertices;
    if (c.level == 7) {
      EXPECT_EQ(Points(s->m_vertices), Points(level4));
    }

    // Nothing changed: nothing is done; new inputs alone change nothing either.
    g->UpdateSubDiv();
    g->m_meshData = Obj<MeshData_I>();
    g->UpdateSubDiv();
    EXPECT_EQ(m_log.Take(), "");
    g->m_meshData = Find<MeshData_I>("md");
  }
  g->Invalidate();
  g->UpdateSubDiv();
  EXPECT_NE(m_log.Take().find("SubDiv creation speed"), std::string::npos);
}

TEST_F(MeshGroups, RebuildsKeepOnlyTheLastBuild) {
  TMeshGroup_I* g = Cube(1);
  ASSERT_TRUE(g);
  g->UpdateSubDiv();
  const long live = LiveBlockCount();
  for (int i = 0; i < 5; ++i) {
    g->Invalidate();
    g->UpdateSubDiv();
  }
  EXPECT_EQ(LiveBlockCount(), live);
  EXPECT_EQ(g->ChildCount(), 1);  // the geometry node is reused
}

// A rebuild is one job for the thread's store: the next rebuild of as large a mesh finds every block kept, and
// one rebuild of a small mesh after it leaves the store no more than its reserve.
TEST_F(MeshGroups, ASmallRebuildAfterALargeOneLeavesTheStoreItsReserve) {
  MeshText grid;  // 32 x 32 quads: at level 4 the last level alone takes some 70 MB
  constexpr int kSide = 32;
  for (int i = 0; i <= kSide; ++i)
    for (int j = 0; j <= kSide; ++j) grid.points.push_back({float(i), float(j), float((i * j) % 3)});
  for (int i = 0; i < kSide; ++i)
    for (int j = 0; j < kSide; ++j) {
      const int a = i * (kSide + 1) + j;
      grid.faces.push_back({a, a + 1, a + kSide + 2, a + kSide + 1});
    }
  grid.shaders = {"s"};
  Build(grid, "big");
  TMeshGroup_I* large = Parse<TMeshGroup_I>(
      "TMeshGroup:bigg . { .MeshStructure MeshStructure:big; .MeshData MeshData:bigd; .SubDivLevel 4; };\n", "bigg");
  TMeshGroup_I* small = Cube(2);
  ASSERT_TRUE(large && small);
  const ScratchStore& store = *ScratchStore::ThisThread();
  // The second rebuild gives back the first one's levels; from then on every rebuild takes and gives back
  // as much.
  large->UpdateSubDiv();
  large->Invalidate();
  large->UpdateSubDiv();
  const size_t kept = store.KeptBytes();
  ASSERT_GT(kept, ScratchStore::kReserve);
  large->Invalidate();
  large->UpdateSubDiv();
  EXPECT_EQ(store.KeptBytes(), kept);
  small->UpdateSubDiv();
  EXPECT_LE(store.KeptBytes(), ScratchStore::kReserve);
}

TEST_F(MeshGroups, UpdateGeneratorNeedsABuild) {
  TMeshGroup_I* g = Cube(1);
  ASSERT_TRUE(g);
  m_log.Take();
  g->UpdateGenerator(true);
  EXPECT_EQ(m_log.Take(), "Error TMeshGroup::UpdateGenerator: subdiv structures not initialized.\n");
  EXPECT_EQ(g->ChildCount(), 0);
}

TEST_F(MeshGroups, ReplacementsWriteTheirPointsOverARegion) {
  // The grid onto the level-1 faces of the cube's z = 0 cap, from the highest-indexed one.
  const char* starts =
      ".SourceStartFaceArray [0]; .SourceStartEdgeArray [0]; .TargetStartFaceArray [0];"
      " .TargetStartSubFaceArray [0]; .TargetStartEdgeArray [0];";
  TMeshGroup_I* a = Grid("a", starts);
  TMeshGroup_I* missing = Grid("b",
                               ".SourceStartFaceArray [0]; .SourceStartEdgeArray [0]; .TargetStartFaceArray "
                               "[99]; .TargetStartSubFaceArray [0]; .TargetStartEdgeArray [0];");
  TMeshGroup_I* g = Cube(1, ".ReplaceMeshArray [TMeshGroup:bg, TMeshGroup:ag];");
  ASSERT_TRUE(a && missing && g);
  ASSERT_EQ(g->m_replaceMeshes.Count(), 2);
  m_log.Take();
  g->UpdateSubDiv();
  std::string log = Logged();
  EXPECT_EQ(log, "Error ReplaceMesh: could not find start face.\n");

  // The cap's nine level-1 points took the grid's positions; nothing else did.
  const Array<Vector3f>& out = g->GetOutputData()->positions;
  EXPECT_EQ(CountAtZ(out, -7.0f), 9);
  std::multiset<Point> cap;
  for (const Vector3f& v : out)
    if (v.z == -7.0f) cap.insert({v.x, v.y, v.z});
  EXPECT_EQ(cap, Points(a->m_meshData->m_vertices));
  EXPECT_EQ(CountAtZ(Geometry(g)->m_vertices, -7.0f), 9);

  // Called directly: the missing face and a missing start entry fail; a grid with more points than
  // positions gives what it has.
  SubDivData copy = *g->GetOutputData();
  EXPECT_FALSE(missing->ReplaceMesh(*g->GetLastLevel(), copy));
  missing->m_targetStartFaces = Array<int32_t>{0};
  missing->m_targetStartSubFaces.Clear();
  EXPECT_FALSE(missing->ReplaceMesh(*g->GetLastLevel(), copy));
  EXPECT_EQ(Logged(),
            "Error ReplaceMesh: could not find start face.\n"
            "Error ReplaceMesh: replacement 0 of \"bg\" lacks a start entry.\n");
  a->m_meshData->m_vertices.SetCount(4);
  for (Vector3f& v : copy.positions) v.z = 0.5f;
  EXPECT_TRUE(a->ReplaceMesh(*g->GetLastLevel(), copy));
  EXPECT_EQ(CountAtZ(copy.positions, -7.0f), 4);

  // At another level the Error line comes first and the replacement still applies.
  a->m_meshData->m_vertices.SetCountFill(9, Vector3f{0, 0, -7.0f});
  g->m_subDivLevel = 2;
  g->UpdateSubDiv();
  log = Logged();
  EXPECT_EQ(log.find("Error TMeshGroup::UpdateSubDiv: ReplaceMeshArray can only be applied if SubDivLevel=1.\n"), 0u)
      << log;
  EXPECT_GT(CountAtZ(g->GetOutputData()->positions, -7.0f), 0);
}

TEST_F(MeshGroups, VertexGeneratorsMoveTheRefinedPositions) {
  ASSERT_TRUE(UseModule());
  TMeshGroup_I* plain = Cube(1);
  ASSERT_TRUE(plain);
  plain->UpdateSubDiv();
  const Array<Vector3f> refined = plain->GetOutputData()->positions;
  VertexGeneratorFG_I* v = Parse<VertexGeneratorFG_I>("VertexGeneratorFG:v . { .SymmetricControl [0.25]; };\n", "v");
  Parse<TMeshGroup_I>(
      "TMeshGroup:h . { .MeshStructure MeshStructure:m; .MeshData MeshData:md; .SubDivLevel 1;"
      " .ReplaceVertexArray << VertexGeneratorFG:v; };\n",
      "h");
  TMeshGroup_I* g = Find<TMeshGroup_I>("h");
  ASSERT_TRUE(v && g);
  Calls();
  g->UpdateSubDiv();
  EXPECT_EQ(Calls(), "4(1,1)\n3(26,displaced)\n17(26,26)\n");
  auto moved = [&](const Array<Vector3f>& a, float d) {
    std::multiset<Point> s;
    for (const Vector3f& p : refined) s.insert({p.x, p.y, p.z + d});
    return Points(a) == s;
  };
  EXPECT_TRUE(moved(g->GetOutputData()->positions, 0.25f));
  EXPECT_TRUE(moved(Geometry(g)->m_vertices, 0.25f));

  // A control change reaches the geometry with UpdateGenerator(true), not before.
  MemberSetAt<VF32>(v, 0x08FFF0FF, 1, 0.5f);
  g->UpdateGenerator(false);
  EXPECT_TRUE(moved(g->GetOutputData()->positions, 0.75f));
  EXPECT_TRUE(moved(Geometry(g)->m_vertices, 0.25f));
  g->UpdateGenerator(true);
  EXPECT_TRUE(moved(Geometry(g)->m_vertices, 0.75f));
  EXPECT_EQ(Logged(), "");
}

TEST_F(MeshGroups, SkinnedChildrenTakeMatricesAndJoints) {
  MeshText t = ClockwiseCube();
  t.shaders = {"s"};
  t.extraData = ".VertexData << VertexDataF32:w;";
  auto [m, d] = Build(t, "m");
  ASSERT_TRUE(m && d);
  Parse<VertexDataF32_I>(
      "VertexDataF32:w . { .Usage 0x80000u; .DataArray [1.0, 1.0, 1.0, 1.0, 0.0, 0.0, 0.0, 0.0]; };\n"
      "TJoint:j0 . { };\nTJoint:j1 . { };\nTTransform:other . { };\n",
      "w");
  Matrix4f geometry = kIdentityMatrix4f, bind1 = kIdentityMatrix4f;
  geometry.m[12] = 2.0f;
  bind1.m[13] = -3.0f;
  d->m_geometryMatrix = geometry;
  d->SetBindMatrixInverseAt(1, bind1);
  d->m_joints = Array<Obj<TJoint_I>>{Find<TJoint_I>("j0"), Obj<TJoint_I>(), Find<TJoint_I>("j1")};
  TMeshGroup_I* g = Parse<TMeshGroup_I>(
      "TMeshGroup:g . { .MeshStructure MeshStructure:m; .MeshData MeshData:md; .SubDivLevel 1; };\n", "g");
  ASSERT_TRUE(g);
  g->UpdateSubDiv();
  ASSERT_EQ(g->ChildCount(), 1);
  ASSERT_TRUE(g->GetChild(0)->IsA(TSkinPolygonGeometry_I::kClassId));
  auto* skin = static_cast<TSkinPolygonGeometry_I*>(g->GetChild(0));
  auto* s = static_cast<SSkinPolygonGeometry_I*>(skin->GetSNode());
  EXPECT_EQ(s->GetGeometryMatrix().m[12], 2.0f);
  ASSERT_EQ(s->GetBindMatrixInverseCount(), 2);
  EXPECT_EQ(s->GetBindMatrixInverseAt(1).m[13], -3.0f);
  EXPECT_EQ(s->GetBindMatrixInverseAt(0).m[13], 0.0f);
  ASSERT_EQ(skin->m_joints.Count(), 3);
  EXPECT_EQ(skin->m_joints[0].Get(), Find<TJoint_I>("j0"));
  EXPECT_TRUE(skin->m_joints[1].IsNil());
  EXPECT_EQ(skin->m_joints[2].Get(), Find<TJoint_I>("j1"));
  EXPECT_EQ(Logged(), "");

  // A child that is no polygon geometry is reported on each build.
  Find<TNode_I>("other")->SetParent(g);
  g->Invalidate();
  g->UpdateSubDiv();
  EXPECT_EQ(Logged(), "Error TMeshGroup::UpdateSubDiv(): PolygonGeometry is missing.\n");
}

}  // namespace
}  // namespace PM::Test
