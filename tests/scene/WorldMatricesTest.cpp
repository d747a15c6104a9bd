// The transform-only world-matrix walk against a plain recursion over the same tree: every transform's
// world matrix equal to the bit, branches that are not transforms left alone, deep trees refused past
// the depth bound.
#include <cstring>
#include <vector>

#include "EngineWorld.h"
#include "WorldMatrixReference.h"
#include "scene/Transform.h"
#include "scene/TreeDepth.h"
#include "scene/WorldMatrices.h"

namespace PM::Test {
namespace {

constexpr uint32_t kTranslation = 0x01FFF04A, kRotation = 0x02FFF04A, kScaling = 0x04FFF04A;

class WorldMatricesTest : public EngineWorldTest {
 protected:
  static void Attach(ScriptObject* child, ScriptObject* parent) {
    MemberSet<VObject>(child, kMemberTNodeParent, parent);
  }
  static TBaseTransform_I* T(ScriptObject* o) { return static_cast<TBaseTransform_I*>(o); }
  static bool Same(const Matrix4f& a, const Matrix4f& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(WorldMatricesTest, EveryTransformGetsWhatTheRecursionGives) {
  std::vector<Obj<ScriptObject>> nodes;
  for (int i = 0; i < 300; ++i) {
    Obj<ScriptObject> n = Make(i % 3 == 2 ? "TSimpleTransform" : i % 5 == 4 ? "TJoint" : "TTransform");
    ScriptObject* s = T(n)->m_sNode.Get();
    if (i % 4 != 3) {  // every fourth keeps the identity, so its parent's matrix is handed through
      MemberSet<VVector3f>(s, kTranslation, {float(i % 7), float(i % 5) * 0.5f, 1.0f});
      MemberSet<VVector3f>(s, kRotation, {float(i % 90), float(i % 45), float(i % 11)});
      if (i % 6 == 0) MemberSet<VVector3f>(s, kScaling, {1.5f, 0.5f, 2.0f});
    }
    if (i > 0) Attach(n, nodes[size_t((i - 1) % 97 == 0 ? 0 : (i - 1) / 3)]);
    nodes.push_back(n);
  }
  Matrix4f parent;
  parent.SetTranslation({10, -2, 3});
  std::vector<Matrix4f> want, got;
  ReferenceWorldMatrices(T(nodes[0]), parent, want);
  UpdateWorldMatrices(T(nodes[0]), parent);
  CollectWorldMatrices(T(nodes[0]), got);
  ASSERT_EQ(got.size(), want.size());
  ASSERT_EQ(got.size(), nodes.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_TRUE(Same(got[i], want[i])) << i;
}

// Wide levels and a long chain below them: the walk's queue is cut back many times on the way and the
// chain's nodes join it one at a time, right behind the visits.
TEST_F(WorldMatricesTest, AWideTreeAndALongChainGetWhatTheRecursionGives) {
  constexpr int kWide = 9000, kCount = 12000;
  std::vector<Obj<ScriptObject>> nodes;
  for (int i = 0; i < kCount; ++i) {
    Obj<ScriptObject> n = Make("TTransform");
    MemberSet<VVector3f>(T(n)->m_sNode.Get(), kTranslation, {float(i % 7) * 0.25f, float(i % 3), -1.0f});
    MemberSet<VVector3f>(T(n)->m_sNode.Get(), kRotation, {float(i % 13), 0.0f, float(i % 29)});
    if (i > 0) Attach(n, nodes[size_t(i < kWide ? (i - 1) / 8 : i - 1)]);
    nodes.push_back(n);
  }
  std::vector<Matrix4f> want, got;
  ReferenceWorldMatrices(T(nodes[0]), kIdentityMatrix4f, want);
  UpdateWorldMatrices(T(nodes[0]), kIdentityMatrix4f);
  CollectWorldMatrices(T(nodes[0]), got);
  ASSERT_EQ(got.size(), size_t(kCount));
  ASSERT_EQ(want.size(), got.size());
  size_t differing = 0;
  for (size_t i = 0; i < got.size(); ++i) differing += !Same(got[i], want[i]);
  EXPECT_EQ(differing, 0u);
}

TEST_F(WorldMatricesTest, AChildThatIsNoTransformEndsItsBranch) {
  Obj<ScriptObject> root = Make("TTransform"), light = Make("TLight"), lod = Make("TLODGroup"),
                    below = Make("TTransform");
  MemberSet<VVector3f>(T(root)->m_sNode.Get(), kTranslation, {1, 2, 3});
  MemberSet<VVector3f>(T(below)->m_sNode.Get(), kTranslation, {4, 5, 6});
  Attach(light, root);
  Attach(lod, root);
  Attach(below, lod);
  Matrix4f mark;
  mark.SetScale({7, 7, 7});
  T(below)->m_worldMatrix = mark;
  UpdateWorldMatrices(T(root), kIdentityMatrix4f);
  Matrix4f want;
  want.SetTranslation({1, 2, 3});
  EXPECT_TRUE(Same(T(root)->m_worldMatrix, want));
  EXPECT_TRUE(Same(T(below)->m_worldMatrix, mark));
}

TEST_F(WorldMatricesTest, LevelsPastTheDepthBoundAreLeftAlone) {
  std::vector<Obj<ScriptObject>> chain;
  for (int i = 0; i < kMaxTreeDepth + 2; ++i) {
    chain.push_back(Make("TTransform"));
    MemberSet<VVector3f>(T(chain.back())->m_sNode.Get(), kTranslation, {1, 0, 0});
    if (i > 0) Attach(chain.back(), chain[size_t(i - 1)]);
  }
  UpdateWorldMatrices(T(chain[0]), kIdentityMatrix4f);
  EXPECT_FLOAT_EQ(T(chain[size_t(kMaxTreeDepth - 1)])->m_worldMatrix.m[12], float(kMaxTreeDepth));
  EXPECT_TRUE(Same(T(chain[size_t(kMaxTreeDepth)])->m_worldMatrix, kIdentityMatrix4f));
  EXPECT_NE(TakeLog().find("UpdateWorldMatrices"), std::string::npos);
  // Released from the bottom up, so the chain's destruction does not recurse deeply.
  while (!chain.empty()) {
    MemberSet<VObject>(chain.back(), kMemberTNodeParent, NilScriptObject());
    chain.pop_back();
  }
}

// Levels are counted, not stored: a level wider than the queue's cut-back, with a chain down to the depth
// bound below its last node, is cut at the same level on every update, whatever tree the walk's kept
// queue served before.
TEST_F(WorldMatricesTest, TheDepthBoundHoldsBelowAWideLevelOnEveryUpdate) {
  Obj<ScriptObject> root = Make("TTransform");
  std::vector<Obj<ScriptObject>> wide, chain;
  for (int i = 0; i < 5000; ++i) {
    wide.push_back(Make("TTransform"));
    Attach(wide.back(), root);
  }
  for (int i = 0; i < kMaxTreeDepth - 1; ++i) {  // levels 2 to kMaxTreeDepth
    chain.push_back(Make("TTransform"));
    MemberSet<VVector3f>(T(chain.back())->m_sNode.Get(), kTranslation, {1, 0, 0});
    Attach(chain.back(), i == 0 ? wide.back() : chain[size_t(i - 1)]);
  }
  Obj<ScriptObject> small = Make("TTransform");
  for (int round = 0; round < 2; ++round) {
    UpdateWorldMatrices(T(root), kIdentityMatrix4f);
    EXPECT_FLOAT_EQ(T(chain[size_t(kMaxTreeDepth - 3)])->m_worldMatrix.m[12], float(kMaxTreeDepth - 2)) << round;
    EXPECT_TRUE(Same(T(chain.back())->m_worldMatrix, kIdentityMatrix4f)) << round;
    const std::string log = TakeLog();
    EXPECT_EQ(log.find("UpdateWorldMatrices"), log.rfind("UpdateWorldMatrices")) << "one report an update";
    EXPECT_NE(log.find("UpdateWorldMatrices"), std::string::npos) << round;
    UpdateWorldMatrices(T(small), kIdentityMatrix4f);  // the kept queue serves another tree in between
  }
  while (!chain.empty()) {
    MemberSet<VObject>(chain.back(), kMemberTNodeParent, NilScriptObject());
    chain.pop_back();
  }
}

}  // namespace
}  // namespace PM::Test
