// Cloning subtrees: shape and child order, shared S-nodes and shaders, the reports, and large trees.
#include "TreeWorld.h"
#include "scene/CloneTree.h"
#include "scene/ImportModule.h"
#include "scene/SimpleTransform.h"

namespace PM::Test {
namespace {

constexpr uint32_t kShader = 0x01FFF061;  // TGeometry.Shader

class CloneTreeTest : public TreeWorld {
 protected:
  static ScriptObject* ChildOf(ScriptObject* branch, int32_t i) {
    return MemberGetAt<VObject>(branch, kMemberTBranchChild, i);
  }
};

TEST_F(CloneTreeTest, ClonesShareSNodesAndShadersAndListChildrenReversed) {
  ScriptObject* root = Add("TTransform", "root");
  ScriptObject* a = Add("TSimpleTransform", "A", root);
  ScriptObject* b = Add("TJoint", "B", root);
  ScriptObject* c = Add("TPolygonGeometry", "C", root);
  ScriptObject* a1 = Add("TSplineCurve", "A1", a);
  Obj<ScriptObject> shader = Make("RenderShader", "look");
  MemberSet<VObject>(c, kShader, shader);
  MemberSet<VEnum>(a1, kMemberTNodeBoundingMode, kBoundingStatic);
  const Spheref sphere{{1, 2, 3}, 4};
  MemberSet<VSpheref>(a1, kMemberTNodeBoundingSphere, sphere);

  Obj<ScriptObject> clone = CloneTree(root);
  EXPECT_EQ(TakeLog(), "");
  ASSERT_FALSE(clone.IsNil());
  EXPECT_NE(clone.Get(), root);
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(clone, kMemberTNodeParent)));
  EXPECT_EQ(ChildNames(clone), "C B A");
  ScriptObject* cloneA = ChildOf(clone, 2);
  EXPECT_EQ(ChildNames(cloneA), "A1");
  for (auto [source, copy] : {std::pair{root, clone.Get()},
                              {a, cloneA},
                              {b, ChildOf(clone, 1)},
                              {c, ChildOf(clone, 0)},
                              {a1, ChildOf(cloneA, 0)}}) {
    EXPECT_NE(source, copy);
    EXPECT_EQ(copy->GetClassID(), source->GetClassID()) << NameOf(source);
    EXPECT_EQ(SNodeOf(copy), SNodeOf(source)) << NameOf(source);
    EXPECT_EQ(NameOf(copy), NameOf(source));
  }
  EXPECT_EQ(MemberGet<VObject>(ChildOf(clone, 0), kShader), shader.Get());
  EXPECT_EQ(MemberGet<VEnum>(ChildOf(cloneA, 0), kMemberTNodeBoundingMode), kBoundingStatic);
  const Spheref got = MemberGet<VSpheref>(ChildOf(cloneA, 0), kMemberTNodeBoundingSphere);
  EXPECT_EQ(got.center, sphere.center);
  EXPECT_EQ(got.radius, sphere.radius);
  // The S-nodes are shared: moving the source's description moves the clone.
  MemberSet<VVector3f>(SNodeOf(a), kMemberSSimpleTransformTranslation, Vector3f{5, 6, 7});
  const Matrix4f local = MemberGet<VMatrix4f>(SNodeOf(cloneA), kMemberSBaseTransformLocalMatrix);
  EXPECT_EQ(local.Row(3), (Vector3f{5, 6, 7}));
  // The source is untouched.
  EXPECT_EQ(ChildNames(root), "A B C");
}

TEST_F(CloneTreeTest, UnsupportedTypesConstraintsAndLostChildrenAreReported) {
  struct Case {
    const char* what;
    const char* cls;
    int constraints;
    bool nilChild;
    const char* log;
  } cases[] = {
      {"camera", "TCamera", 0, false, "Warn  CloneTree: node type of \"n\" is not fully supported yet.\n"},
      {"two constraints", "TTransform", 2, false, "Warn  CloneTree: constraint on \"n\" is not supported yet.\n"},
      {"nil child slot", "TJoint", 0, true, "Error CloneTree: failed to clone a child.\n"},
      {"container", "TContainer", 0, false, "Warn  CloneTree: node type of \"n\" is not fully supported yet.\n"},
  };
  for (const Case& c : cases) {
    ScriptObject* n = Add(c.cls, "n");
    for (int i = 0; i < c.constraints; ++i)
      MemberSetAt<VObject>(n, kMemberTBaseTransformConstraintArray, i, Make("AimConstraint"));
    if (c.nilChild) {
      Add("TJoint", "kid", n);
      MemberSetAt<VObject>(n, kMemberTBranchChild, 1, NilScriptObject());
    }
    TakeLog();
    Obj<ScriptObject> clone = CloneTree(n);
    EXPECT_EQ(TakeLog(), c.log) << c.what;
    ASSERT_FALSE(clone.IsNil()) << c.what;
    EXPECT_EQ(SNodeOf(clone), SNodeOf(n)) << c.what;
    if (c.constraints) {
      EXPECT_EQ(MemberSize(clone, kMemberTBaseTransformConstraintArray), 0) << c.what;
    }
    if (c.nilChild) {
      EXPECT_EQ(ChildNames(clone), "kid") << c.what;
    }
  }
}

TEST_F(CloneTreeTest, AChildListedTwiceIsClonedAndListedOnce) {
  ScriptObject* root = Add("TTransform", "root");
  ScriptObject* a = Add("TJoint", "A", root);
  Add("TJoint", "B", root);
  MemberSetAt<VObject>(root, kMemberTBranchChild, 2, a);
  ASSERT_EQ(ChildNames(root), "A B A");
  Obj<ScriptObject> clone = CloneTree(root);
  EXPECT_EQ(ChildNames(clone), "A B");  // linked from the last entry; the earlier A is already in place
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(CloneTreeTest, RootsThatAreNoTNodeGiveNilSilently) {
  Obj<ScriptObject> sNode = Make("STransform");
  Obj<ScriptObject> shader = Make("RenderShader");
  for (ScriptObject* root : {sNode.Get(), shader.Get(), NilScriptObject(), static_cast<ScriptObject*>(nullptr)})
    EXPECT_TRUE(CloneTree(root).IsNil());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(CloneTreeTest, LargeAndDeepTreesClone) {
  struct Case {
    const char* what;
    int fanOut;  // children per inner node
    int count;
  } cases[] = {{"100,000 nodes", 50, 100000}, {"1,000-deep chain", 1, 1000}};
  for (const Case& c : cases) {
    ScriptObject* root = Add("TSimpleTransform", "root");
    Array<ScriptObject*> all{root};
    for (int i = 1; i < c.count; ++i) all.Append(Add("TSimpleTransform", "n", all[(i - 1) / c.fanOut]));
    {
      Obj<ScriptObject> clone = CloneTree(root);
      Array<Obj<ScriptObject>> copies;
      CollectSubtree(clone, copies);
      EXPECT_EQ(copies.Count(), c.count) << c.what;
    }
    m_roots.Clear();  // the fixture's block check sees both trees go
  }
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
