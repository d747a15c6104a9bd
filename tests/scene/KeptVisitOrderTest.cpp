// The world-matrix update keeps the order of a tree's visits between updates: every change of the tree's
// shape (a link, a child slot, an S-node, a destroyed node) must be seen by the next update, and every
// matrix must stay what a fresh walk gives, to the bit.
#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "EngineWorld.h"
#include "WorldMatrixReference.h"
#include "scene/Transform.h"
#include "scene/WorldMatrices.h"

namespace PM::Test {
namespace {

constexpr uint32_t kTranslation = 0x01FFF04A, kRotation = 0x02FFF04A;

TBaseTransform_I* T(ScriptObject* o) { return static_cast<TBaseTransform_I*>(o); }

class KeptVisitOrderTest : public EngineWorldTest {
 protected:
  void TearDown() override {
    ReleaseTree();
    EngineWorldTest::TearDown();
  }
  static void Place(ScriptObject* n, int i) {
    ScriptObject* s = T(n)->m_sNode.Get();
    MemberSet<VVector3f>(s, kTranslation, {float(i % 7), float(i % 5) * 0.5f, float(i % 3)});
    MemberSet<VVector3f>(s, kRotation, {float(i % 90), float(i % 45), float(i % 11)});
  }
  // `count` more transforms, node i below node (i - 1) / 3.
  void BuildTree(int count) {
    for (int i = int(m_nodes.size()), end = i + count; i < end; ++i) {
      m_nodes.push_back(Make("TTransform"));
      Place(m_nodes.back(), i);
      if (i > 0) MemberSet<VObject>(m_nodes.back(), kMemberTNodeParent, m_nodes[size_t((i - 1) / 3)]);
    }
  }
  // Released from the leaves up, so the tree is gone when the last reference goes.
  void ReleaseTree() {
    while (!m_nodes.empty()) m_nodes.pop_back();
  }
  ScriptObject* Root() { return m_nodes[0]; }

  // Updates the tree and counts the matrices that differ from the recursion's.
  static size_t UpdateAndCountWrong(ScriptObject* root, const Matrix4f& parentWorld) {
    std::vector<Matrix4f> want, got;
    ReferenceWorldMatrices(T(root), parentWorld, want);
    UpdateWorldMatrices(T(root), parentWorld);
    CollectWorldMatrices(T(root), got);
    if (got.size() != want.size()) return size_t(-1);
    size_t wrong = 0;
    for (size_t i = 0; i < got.size(); ++i) wrong += std::memcmp(&got[i], &want[i], sizeof(Matrix4f)) != 0;
    return wrong;
  }

  std::vector<Obj<ScriptObject>> m_nodes;
};

const Matrix4f kMark = [] {
  Matrix4f m;
  m.SetScale({7, 7, 7});
  return m;
}();

// Each way the shape changes, made after the order was kept: the next update walks the new shape. A node
// that left the tree keeps the mark put on it; a node that joined gets its matrix.
TEST_F(KeptVisitOrderTest, EveryChangeOfShapeIsSeenByTheNextUpdate) {
  struct Case {
    const char* name;
    // Answers a node that left, or null. `spare` is a transform made before the order was kept (making one
    // attaches its S-node, which would move the version on by itself).
    std::function<ScriptObject*(std::vector<Obj<ScriptObject>>&, ScriptObject* spare)> change;
  };
  const Case cases[] = {
      {"reparent",
       [](auto& n, ScriptObject*) {
         MemberSet<VObject>(n[5], kMemberTNodeParent, n[30]);
         return nullptr;
       }},
      {"attach a new node",
       [](auto& n, ScriptObject* spare) {
         MemberSet<VObject>(spare, kMemberTNodeParent, n[6]);
         return nullptr;
       }},
      {"detach",
       [](auto& n, ScriptObject*) {
         MemberSet<VObject>(n[4], kMemberTNodeParent, NilScriptObject());
         return n[4].Get();
       }},
      {"remove child",
       [](auto& n, ScriptObject*) {
         ScriptObject* gone = MemberGetAt<VObject>(n[1], kMemberTBranchChild, 0);
         MemberRemove(n[1], kMemberTBranchChild, 0, 1);
         return gone;
       }},
      {"set a child slot",
       [](auto& n, ScriptObject* spare) {
         ScriptObject* gone = MemberGetAt<VObject>(n[2], kMemberTBranchChild, 1);
         MemberSetAt<VObject>(n[2], kMemberTBranchChild, 1, spare);
         return gone;
       }},
      {"clear a child slot",
       [](auto& n, ScriptObject*) {
         ScriptObject* gone = MemberGetAt<VObject>(n[3], kMemberTBranchChild, 2);
         MemberSetAt<VObject>(n[3], kMemberTBranchChild, 2, NilScriptObject());
         return gone;
       }},
      {"replace an S-node",
       [](auto& n, ScriptObject*) {
         Obj<ScriptObject> s = Make("STransform");
         MemberSet<VVector3f>(s, kTranslation, {-3, 4, 5});
         MemberSet<VObject>(n[7], kMemberTNodeSNode, s.Get());
         return nullptr;
       }},
  };
  for (const Case& c : cases) {
    BuildTree(40);
    Obj<ScriptObject> spare = Make("TTransform");
    Place(spare, 99);
    ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << c.name;
    ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << c.name;  // the kept order
    ScriptObject* gone = c.change(m_nodes, spare);
    if (gone) T(gone)->m_worldMatrix = kMark;
    EXPECT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << c.name;
    if (gone) {
      EXPECT_EQ(std::memcmp(&T(gone)->m_worldMatrix, &kMark, sizeof kMark), 0) << c.name;
    }
    EXPECT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << c.name << ", kept again";
    ReleaseTree();
    EXPECT_EQ(TakeLog(), "") << c.name;
  }
}

// A destroyed tree's room is reused by the next one made: a root at the same place is a new tree.
TEST_F(KeptVisitOrderTest, ATreeMadeWhereADestroyedOneWasIsWalkedAfresh) {
  BuildTree(40);
  ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u);
  ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u);
  ReleaseTree();
  BuildTree(25);
  EXPECT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u);
  BuildTree(25);  // 25 more nodes below the leaves of the first 25
  EXPECT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u);
}

// What the kept order does not hold is read afresh on every update: the caller's matrix, the local
// values, and which of several trees (more than are kept at once) is being updated.
TEST_F(KeptVisitOrderTest, ValuesAndTheCallersMatrixAreReadOnEveryUpdate) {
  BuildTree(30);
  std::vector<Obj<ScriptObject>> roots;
  for (int r = 0; r < 6; ++r) {
    roots.push_back(Make("TTransform"));
    Place(roots.back(), r);
    for (int i = 0; i < 5; ++i) {
      Obj<ScriptObject> n = Make("TTransform");
      Place(n, r + i);
      MemberSet<VObject>(n, kMemberTNodeParent, roots.back());
    }
  }
  Matrix4f parent;
  parent.SetTranslation({10, -2, 3});
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(UpdateAndCountWrong(Root(), round == 1 ? parent : kIdentityMatrix4f), 0u) << round;
    MemberSet<VVector3f>(T(m_nodes[12])->m_sNode.Get(), kTranslation, {float(round), 1, 2});
    for (const Obj<ScriptObject>& r : roots) EXPECT_EQ(UpdateAndCountWrong(r, parent), 0u) << round;
  }
  EXPECT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u);
}

// Changes of every kind drawn at random between updates, with nodes made and dropped on the way: every
// update gives what a fresh walk gives, and a dropped node is never touched again (the arena's freed
// room is poisoned for AddressSanitizer).
TEST_F(KeptVisitOrderTest, RandomChangesBetweenUpdatesNeverLeaveAStaleOrder) {
  BuildTree(60);
  std::mt19937 rng(7);
  auto pick = [&](size_t from = 0) { return m_nodes[from + rng() % (m_nodes.size() - from)].Get(); };
  for (int step = 0; step < 400; ++step) {
    ScriptObject* n = pick(1);  // the root stays the root
    switch (rng() % 7) {
      case 0:  // re-parent; a cycle is refused with an error
        MemberSet<VObject>(n, kMemberTNodeParent, pick());
        break;
      case 1:
        MemberSet<VObject>(n, kMemberTNodeParent, NilScriptObject());
        break;
      case 2:
        MemberRemove(pick(), kMemberTBranchChild, 0, 1);
        break;
      case 3: {  // a node without a parent into a slot, so no node is listed by two parents
        ScriptObject* branch = pick();
        if (!IsNilObject(T(n)->GetParent()) || T(n)->IsSelfOrBelow(T(branch))) break;
        MemberSetAt<VObject>(branch, kMemberTBranchChild, int32_t(rng() % 3), n);
        break;
      }
      case 4: {
        Obj<ScriptObject> s = Make("STransform");
        MemberSet<VVector3f>(s, kTranslation, {float(step % 5), 1, -2});
        MemberSet<VObject>(n, kMemberTNodeSNode, s.Get());
        break;
      }
      case 5:
        BuildTree(1);
        break;
      case 6:  // dropped: freed now unless the tree holds it
        std::swap(m_nodes[size_t(std::find(m_nodes.begin(), m_nodes.end(), n) - m_nodes.begin())], m_nodes.back());
        m_nodes.pop_back();
        break;
    }
    if (rng() % 4 == 0) MemberSet<VVector3f>(T(pick())->m_sNode.Get(), kRotation, {float(step), 0, 1});
    std::vector<TBaseTransform_I*> outside;
    for (const Obj<ScriptObject>& o : m_nodes)
      if (!T(o)->IsSelfOrBelow(T(Root()))) outside.push_back(T(o));
    for (TBaseTransform_I* o : outside) o->m_worldMatrix = kMark;
    ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << step;
    ASSERT_EQ(UpdateAndCountWrong(Root(), kIdentityMatrix4f), 0u) << step << ", kept";
    for (TBaseTransform_I* o : outside) ASSERT_EQ(std::memcmp(&o->m_worldMatrix, &kMark, sizeof kMark), 0) << step;
  }
  TakeLog();  // the refused cycles' errors
}

// Nodes listed by two parents are visited once for each, so twenty levels of two nodes, each under both
// of the level above, make two million visits: more than an order is kept for. Every update still walks
// the whole tree (all local matrices the identity, so every node ends with the root's matrix).
TEST_F(KeptVisitOrderTest, AnOrderTooLongToKeepIsWalkedOnEveryUpdate) {
  BuildTree(1);
  MemberSet<VVector3f>(T(Root())->m_sNode.Get(), kTranslation, {1, 2, 3});
  std::vector<Obj<ScriptObject>> level{m_nodes[0]};
  for (int depth = 0; depth < 20; ++depth) {
    std::vector<Obj<ScriptObject>> next{Make("TTransform"), Make("TTransform")};
    for (size_t p = 0; p < level.size(); ++p)
      for (int32_t i = 0; i < 2; ++i) MemberSetAt<VObject>(level[p], kMemberTBranchChild, i, next[size_t(i)].Get());
    m_nodes.insert(m_nodes.end(), next.begin(), next.end());
    level = next;
  }
  Matrix4f want;
  want.SetTranslation({1, 2, 3});
  for (int round = 0; round < 3; ++round) {
    for (size_t i = 1; i < m_nodes.size(); ++i) T(m_nodes[i])->m_worldMatrix = kMark;
    UpdateWorldMatrices(T(Root()), kIdentityMatrix4f);
    size_t wrong = 0;
    for (const Obj<ScriptObject>& n : m_nodes) wrong += std::memcmp(&T(n)->m_worldMatrix, &want, sizeof want) != 0;
    EXPECT_EQ(wrong, 0u) << round;
  }
}

}  // namespace
}  // namespace PM::Test
