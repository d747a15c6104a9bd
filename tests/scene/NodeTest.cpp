// The node core: re-parenting and the child list, cycles refused, S-node naming and visibility, and
// the release of whole trees.
#include "EngineWorld.h"
#include "scene/Branch.h"
#include "scene/Node.h"

namespace PM::Test {
namespace {

constexpr uint32_t kName = 0x01FFF040;
constexpr uint32_t kSNode = 0x01FFF043;
constexpr uint32_t kParent = 0x02FFF043;
constexpr uint32_t kParentTransform = 0x03FFF043;
constexpr uint32_t kVisibility = 0x06FFF043;
constexpr uint32_t kVisibilityF32 = 0x02FFF042;
constexpr uint32_t kChild = 0x01FFF047;

class NodeTest : public EngineWorldTest {
 protected:
  static ScriptObject* ParentOf(ScriptObject* n) { return MemberGet<VObject>(n, kParent); }
  static ScriptObject* ChildOf(ScriptObject* b, int i) { return MemberGetAt<VObject>(b, kChild, i); }
  static int Children(ScriptObject* b) { return MemberSize(b, kChild); }
  static void SetParent(ScriptObject* n, ScriptObject* p) { MemberSet<VObject>(n, kParent, p); }
};

TEST_F(NodeTest, ParentAppendsOnceAndParentTransformIsTheNearestTransform) {
  Obj<ScriptObject> root = Make("TTransform", "root");
  Obj<ScriptObject> arm = Make("TTransform", "arm");
  Obj<ScriptObject> lod = Make("TLODGroup", "lod");
  SetParent(arm, root);
  SetParent(arm, root);
  EXPECT_EQ(Children(root), 1);
  EXPECT_EQ(ChildOf(root, 0), arm.Get());
  EXPECT_EQ(ParentOf(arm), root.Get());
  EXPECT_EQ(MemberGet<VObject>(arm, kParentTransform), root.Get());
  // A branch that is no transform is skipped on the way up.
  SetParent(lod, arm);
  Obj<ScriptObject> leaf = Make("TLight", "leaf");
  SetParent(leaf, lod);
  EXPECT_EQ(MemberGet<VObject>(leaf, kParentTransform), arm.Get());
  EXPECT_TRUE(IsNilObject(MemberGet<VObject>(root, kParentTransform)));
  // Get at or past the count, and at a negative index, is nil.
  EXPECT_TRUE(IsNilObject(ChildOf(root, 1)));
  EXPECT_TRUE(IsNilObject(ChildOf(root, -1)));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(NodeTest, MovingANodeLeavesItOnlyInTheNewParent) {
  Obj<ScriptObject> a = Make("TTransform", "a");
  Obj<ScriptObject> b = Make("TTransform", "b");
  Obj<ScriptObject> other = Make("TTransform", "other");
  Obj<ScriptObject> n = Make("TSimpleTransform", "n");
  SetParent(other, a);
  SetParent(n, a);
  SetParent(n, b);
  EXPECT_EQ(Children(a), 1);
  EXPECT_EQ(ChildOf(a, 0), other.Get());
  EXPECT_EQ(Children(b), 1);
  EXPECT_EQ(ChildOf(b, 0), n.Get());
  EXPECT_EQ(ParentOf(n), b.Get());
  // Detaching: the parent held the last reference, so the node goes.
  WeakObj<ScriptObject> weak(n.Get());
  n.Clear();
  SetParent(weak.Get(), nullptr);
  EXPECT_TRUE(weak.IsNil());
  EXPECT_EQ(Children(b), 0);
  SetParent(other, nullptr);  // twice: a node without a parent is left alone
  SetParent(other, nullptr);
  EXPECT_EQ(Children(a), 0);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(NodeTest, ALeafAsParentIsACastFailureAndTheNodeStays) {
  Obj<ScriptObject> root = Make("TTransform", "root");
  Obj<ScriptObject> n = Make("TTransform", "n");
  Obj<ScriptObject> light = Make("TLight", "light");
  SetParent(n, root);
  SetParent(n, light);
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"TLight\" to \"TBranch\".\n");
  EXPECT_EQ(ParentOf(n), root.Get());
  EXPECT_EQ(Children(root), 1);
  // Child Set with an object that is no T-node stores nil, after growing the list with nil entries.
  MemberSetAt<VObject>(root, kChild, 3, Make("SLight"));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"SLight\" to \"TNode\".\n");
  EXPECT_EQ(Children(root), 4);
  for (int i = 1; i < 4; ++i) EXPECT_TRUE(IsNilObject(ChildOf(root, i)));
  EXPECT_EQ(ChildOf(root, 0), n.Get());
}

TEST_F(NodeTest, ANodeBelowItselfIsRefusedAndNothingChanges) {
  Obj<ScriptObject> root = Make("TTransform", "root");
  Obj<ScriptObject> mid = Make("TTransform", "mid");
  Obj<ScriptObject> tip = Make("TTransform", "tip");
  SetParent(mid, root);
  SetParent(tip, mid);
  SetParent(root, tip);
  EXPECT_EQ(TakeLog(), "Error TNode_D::SetParent: \"root\" cannot be placed below itself or its descendant \"tip\".\n");
  SetParent(mid, mid);
  EXPECT_NE(TakeLog().find("\"mid\" cannot be placed below itself"), std::string::npos);
  MemberSetAt<VObject>(tip, kChild, 0, root);
  EXPECT_EQ(TakeLog(),
            "Error TBranch_D::SetChild: \"root\" cannot be placed below itself or its descendant \"tip\".\n");
  MemberSetAt<VObject>(tip, kChild, 0, tip);
  EXPECT_NE(TakeLog().find("\"tip\" cannot be placed below itself"), std::string::npos);
  EXPECT_TRUE(IsNilObject(ParentOf(root)));
  EXPECT_EQ(ParentOf(tip), mid.Get());
  EXPECT_EQ(Children(tip), 0);
  EXPECT_EQ(Children(root), 1);
  EXPECT_EQ(Children(mid), 1);
  // Moving a subtree elsewhere is fine.
  Obj<ScriptObject> other = Make("TTransform", "other");
  SetParent(mid, other);
  EXPECT_EQ(ParentOf(mid), other.Get());
  EXPECT_EQ(Children(root), 0);
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(NodeTest, RemoveDetachesFromTheEndAndLeavesTheRest) {
  Obj<ScriptObject> root = Make("TTransform", "root");
  Obj<ScriptObject> c[4];
  for (int i = 0; i < 4; ++i) {
    c[i] = Make("TTransform");
    SetParent(c[i], root);
  }
  MemberRemove(root, kChild, 5, 3);  // past the end: nothing
  MemberRemove(root, kChild, 4, 1);
  EXPECT_EQ(Children(root), 4);
  MemberRemove(root, kChild, 1, 100);
  EXPECT_EQ(Children(root), 1);
  EXPECT_EQ(ChildOf(root, 0), c[0].Get());
  for (int i = 1; i < 4; ++i) EXPECT_TRUE(IsNilObject(ParentOf(c[i])));
  EXPECT_EQ(ParentOf(c[0]), root.Get());
  // Nil entries stay where they are.
  MemberSetAt<VObject>(root, kChild, 2, c[2]);
  MemberRemove(root, kChild, 1, 2);
  EXPECT_EQ(Children(root), 2);
  EXPECT_TRUE(IsNilObject(ChildOf(root, 1)));
  EXPECT_EQ(TakeLog(), "");
}

// Indexed members grow on Set, but an index no list should reach is refused with the bad-index line
// instead of allocating for it (or overflowing i + 1). Each kind of indexed member is tried.
TEST_F(NodeTest, HugeSetIndexesAreRefusedAndNothingGrows) {
  Obj<ScriptObject> root = Make("TTransform", "root"), child = Make("TTransform", "c");
  Obj<ScriptObject> instancer = Make("TInstancer");
  Obj<ScriptObject> mesh(ScriptObject::Create(FindClassID("MeshData")));
  const struct {
    ScriptObject* obj;
    uint32_t member;
  } kMembers[] = {
      {root, kChild}, {root, 0x03FFF049 /* ConstraintArray */}, {instancer, 0x01FFF0F7 /* InputNodeArray */}};
  for (int32_t index : {INT32_MAX, (1 << 24)}) {
    for (const auto& m : kMembers) {
      MemberSetAt<VObject>(m.obj, m.member, index, child);
      EXPECT_EQ(MemberSize(m.obj, m.member), 0) << std::hex << m.member;
    }
    MemberSetAt<VMatrix4f>(mesh, 0x0AFFF0F9 /* BindMatrixInverse */, index, kIdentityMatrix4f);
    EXPECT_EQ(MemberSize(mesh, 0x0AFFF0F9), 0);
    std::string log = TakeLog();
    EXPECT_NE(log.find("ScriptObject::Set: index " + std::to_string(index) + " is outside member \"Child\""),
              std::string::npos)
        << log;
  }
  EXPECT_TRUE(IsNilObject(ParentOf(child)));
  MemberSetAt<VObject>(root, kChild, 2, child);  // a small gap still grows the list
  EXPECT_EQ(Children(root), 3);
}

TEST_F(NodeTest, ChildSetKeepsTheOldParentsEntryAndBothListsCope) {
  Obj<ScriptObject> a = Make("TTransform", "a");
  Obj<ScriptObject> b = Make("TTransform", "b");
  Obj<ScriptObject> x = Make("TTransform", "x");
  Obj<ScriptObject> y = Make("TTransform", "y");
  SetParent(x, a);
  MemberSetAt<VObject>(b, kChild, 0, x);
  EXPECT_EQ(ParentOf(x), b.Get());
  EXPECT_EQ(ChildOf(a, 0), x.Get());  // still listed by its previous parent
  // Replacing an entry cuts the old child's parent link.
  MemberSetAt<VObject>(b, kChild, 0, y);
  EXPECT_TRUE(IsNilObject(ParentOf(x)));
  EXPECT_EQ(ParentOf(y), b.Get());
  MemberSetAt<VObject>(b, kChild, 1, x);
  // Removing the stale entry from a drops only a's entry; x stays b's child.
  MemberRemove(a, kChild, 0, 1);
  EXPECT_EQ(Children(a), 0);
  EXPECT_EQ(ParentOf(x), b.Get());
  EXPECT_EQ(Children(b), 2);
  // A stale entry survives the death of either list's owner.
  SetParent(y, a);
  MemberSetAt<VObject>(b, kChild, 2, y);  // y now listed by a and b, its parent b
  x.Clear();
  y.Clear();
  a.Clear();
  ASSERT_EQ(Children(b), 3);
  EXPECT_EQ(MemberGet<VString>(ChildOf(b, 2), kName), String("y"));
  EXPECT_EQ(ParentOf(ChildOf(b, 2)), b.Get());
  Obj<ScriptObject> c = Make("TTransform", "c");
  MemberSetAt<VObject>(c, kChild, 0, ChildOf(b, 2));  // listed by b and c, parent c
  b.Clear();
  EXPECT_EQ(Children(c), 1);
  EXPECT_EQ(ParentOf(ChildOf(c, 0)), c.Get());
  EXPECT_EQ(TakeLog(), "");
}

// An entry left in a previous parent still holds the node: placing that parent below the node would
// make the two hold each other, and the fixture's block check would find them never freed.
TEST_F(NodeTest, AStaleEntryRefusesTheCycleItWouldClose) {
  Obj<ScriptObject> a = Make("TTransform", "a");
  Obj<ScriptObject> b = Make("TTransform", "b");
  Obj<ScriptObject> x = Make("TTransform", "x");
  SetParent(x, a);
  MemberSetAt<VObject>(b, kChild, 0, x);  // x's parent is b, a keeps its entry
  SetParent(a, x);
  EXPECT_TRUE(IsNilObject(ParentOf(a)));
  EXPECT_EQ(Children(x), 0);
  EXPECT_EQ(TakeLog(), "Error TNode_D::SetParent: \"a\" cannot be placed below itself or its descendant \"x\".\n");
  MemberSetAt<VObject>(x, kChild, 0, a);
  EXPECT_EQ(Children(x), 0);
  EXPECT_EQ(TakeLog(), "Error TBranch_D::SetChild: \"a\" cannot be placed below itself or its descendant \"x\".\n");
  // Through a grandchild as well; b may go below x once its entry holds another node.
  Obj<ScriptObject> g = Make("TTransform", "g");
  SetParent(g, x);
  SetParent(a, g);
  EXPECT_TRUE(IsNilObject(ParentOf(a)));
  EXPECT_NE(TakeLog().find("\"a\" cannot be placed below itself or its descendant \"g\""), std::string::npos);
  SetParent(b, g);
  EXPECT_TRUE(IsNilObject(ParentOf(b)));
  TakeLog();
  MemberSetAt<VObject>(b, kChild, 0, Make("TTransform"));
  SetParent(b, g);
  EXPECT_EQ(ParentOf(b), g.Get());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(NodeTest, SetNodeNameNamesTheSharedSNode) {
  Obj<ScriptObject> t1 = Make("TTransform");
  Obj<ScriptObject> t2 = Make("TTransform");
  ScriptObject* s = MemberGet<VObject>(t1, kSNode);
  MemberSet<VObject>(t2, kSNode, s);
  const char* cases[][2] = {{"body:arm", "body:Sarm"}, {"arm", "Sarm"}, {"a:b:c", "a:b:Sc"}, {"", "S"}};
  for (auto& c : cases) {
    SetNodeName(t1, String(c[0]));
    EXPECT_EQ(MemberGet<VString>(t1, kName), String(c[0]));
    EXPECT_EQ(MemberGet<VString>(s, kName), String(c[1])) << c[0];
    EXPECT_EQ(MemberGet<VString>(MemberGet<VObject>(t2, kSNode), kName), String(c[1]));
  }
  SetNodeName(s, String("x:y"));  // an S-node: only its own name
  EXPECT_EQ(MemberGet<VString>(s, kName), String("x:y"));
  EXPECT_EQ(MemberGet<VString>(t1, kName), String(""));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(NodeTest, VisibilityF32ThresholdIsSharedThroughTheSNode) {
  Obj<ScriptObject> t = Make("TTransform");
  ScriptObject* s = MemberGet<VObject>(t, kSNode);
  MemberSet<VF32>(s, kVisibilityF32, 1e-8f);
  EXPECT_EQ(MemberGet<VU32>(t, kVisibility), 0u);
  EXPECT_EQ(MemberGet<VF32>(s, kVisibilityF32), 0.0f);
  MemberSet<VF32>(s, kVisibilityF32, -0.5f);
  EXPECT_EQ(MemberGet<VU32>(t, kVisibility), 1u);
  MemberSet<VF32>(s, kVisibilityF32, 5.9604645e-8f);
  EXPECT_EQ(MemberGet<VU32>(s, 0x01FFF042), 1u);
  MemberSet<VU32>(t, kVisibility, 7);  // stored as given; any non-zero value reads visible
  EXPECT_EQ(MemberGet<VU32>(s, 0x01FFF042), 7u);
  EXPECT_EQ(MemberGet<VF32>(s, kVisibilityF32), 1.0f);
}

TEST_F(NodeTest, AFreshNodeAndItsUseCounter) {
  Obj<ScriptObject> o = Make("TSimpleTransform");
  auto* t = static_cast<TNode_I*>(o.Get());
  EXPECT_EQ(MemberGet<VObject>(o, kSNode)->GetClassID(), FindClassID("SSimpleTransform"));
  EXPECT_TRUE(IsNilObject(ParentOf(o)));
  EXPECT_EQ(t->GetUseCount(), 0);
  EXPECT_EQ(t->AddUse(), 0);
  EXPECT_EQ(t->GetUseCount(), 2);
  EXPECT_EQ(t->AddUse(), 2);
  EXPECT_EQ(t->ReleaseUse(), 2);
  EXPECT_EQ(t->ReleaseUse(), 1);
  EXPECT_EQ(t->ReleaseUse(), 0);
  EXPECT_EQ(t->ReleaseUse(), -1);  // it does not stop at 0
}

TEST_F(NodeTest, WideAndDeepTreesReleaseEveryBlock) {
  long start = LiveBlockCount();
  {
    Obj<ScriptObject> root = Make("TTransform", "root");
    for (int i = 0; i < 100000; ++i)
      SetParent(Obj<ScriptObject>(ScriptObject::Create(FindClassID("TTransform"))), root);
    EXPECT_EQ(Children(root), 100000);
  }
  EXPECT_EQ(LiveBlockCount(), start);
  {
    Obj<ScriptObject> root = Make("TTransform", "root");
    ScriptObject* tip = root;
    for (int i = 0; i < 1000; ++i) {
      Obj<ScriptObject> n(ScriptObject::Create(FindClassID("TTransform")));
      SetParent(n, tip);
      tip = n;
    }
    Obj<ScriptObject> keep(tip);  // the tip outlives the chain with its parent link cut
    root.Clear();
    EXPECT_TRUE(IsNilObject(ParentOf(keep)));
  }
  EXPECT_EQ(LiveBlockCount(), start);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
