// Flat transforms and their removal: each value that makes a transform not flat, the NonFlat and
// removal lines, the resulting child order, and deep chains.
#include <functional>

#include "TreeWorld.h"
#include "scene/IdentityTransforms.h"
#include "scene/Transform.h"

namespace PM::Test {
namespace {

using IdentityTransformsTest = TreeWorld;

void SetVector(ScriptObject* n, uint32_t member, Vector3f v) { MemberSet<VVector3f>(SNodeOf(n), member, v); }

TEST_F(IdentityTransformsTest, FlatOnlyWhenEveryValueIsNeutral) {
  const std::string nonFlat = "Info  NonFlat \"t\".\n";
  struct Case {
    const char* what;
    const char* cls;
    std::function<void(ScriptObject*)> change;
    bool flat;
  } cases[] = {
      {"simple transform", "TSimpleTransform", nullptr, true},
      {"translation within 2^-23", "TSimpleTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSSimpleTransformTranslation, {0, 0, 1e-8f});
       },
       true},
      {"translation 1e-6", "TSimpleTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSSimpleTransformTranslation, {0, 0, 1e-6f});
       },
       false},
      {"rotation", "TSimpleTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSSimpleTransformRotation, {0, 1, 0});
       },
       false},
      {"scaling", "TSimpleTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSSimpleTransformScaling, {1, 1, 1.001f});
       },
       false},
      {"rotation limits", "TSimpleTransform",
       [](ScriptObject* t) { MemberSet<VU32>(SNodeOf(t), kMemberSSimpleTransformRotationLimitEnableMask, 4); }, false},
      {"hidden", "TSimpleTransform", [](ScriptObject* t) { MemberSet<VU32>(SNodeOf(t), kMemberSNodeVisibility, 0); },
       false},
      {"visibility 2", "TSimpleTransform",
       [](ScriptObject* t) { MemberSet<VU32>(SNodeOf(t), kMemberSNodeVisibility, 2); }, false},
      {"transform", "TTransform", nullptr, true},
      {"shear", "TTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSTransformShearing, {0.5f, 0, 0});
       },
       false},
      {"rotation axis", "TTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSTransformRotationAxis, {0, 0, 9});
       },
       false},
      {"rotation pivot translation", "TTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSTransformRotationPivotTranslation, {1, 0, 0});
       },
       false},
      {"scaling pivot translation", "TTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSTransformScalingPivotTranslation, {0, 1, 0});
       },
       false},
      {"a pivot alone cancels out", "TTransform",
       [](ScriptObject* t) {
         SetVector(t, kMemberSTransformRotationPivot, {1, 2, 3});
       },
       true},
      {"joint", "TJoint", nullptr, true},
      {"joint orientation", "TJoint",
       [](ScriptObject* t) {
         SetVector(t, 0x02FFF04E, {90, 0, 0});
       },
       false},
      {"joint rotation axis", "TJoint",
       [](ScriptObject* t) {
         SetVector(t, 0x01FFF04E, {0, 30, 0});
       },
       false},
      {"parent scaling", "TJoint",
       [](ScriptObject* t) {
         SetVector(t, 0x04FFF04E, {2, 2, 2});
       },
       false},
      {"parent scaling switched off", "TJoint",
       [](ScriptObject* t) {
         SetVector(t, 0x04FFF04E, {2, 2, 2});
         MemberSet<VBool>(SNodeOf(t), 0x05FFF04E, false);
       },
       true},
  };
  for (const Case& c : cases) {
    ScriptObject* t = Add(c.cls, "t");
    if (c.change) c.change(t);
    TakeLog();
    EXPECT_EQ(IsTransformFlat(t), c.flat) << c.what;
    EXPECT_EQ(TakeLog(), c.flat ? "" : nonFlat) << c.what;
  }
  for (const char* cls : {"TPolygonGeometry", "TContainer", "TCamera"}) {
    EXPECT_FALSE(IsTransformFlat(Add(cls, "x"))) << cls;
  }
  EXPECT_FALSE(IsTransformFlat(nullptr));
  EXPECT_FALSE(IsTransformFlat(NilScriptObject()));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(IdentityTransformsTest, RemovalHandsChildrenToTheParentAndExaminesThemAgain) {
  ScriptObject* r = Add("TTransform", "R");
  ScriptObject* t = Add("TTransform", "T", r);
  ScriptObject* x = Add("TTransform", "X", r);
  SetVector(x, kMemberSSimpleTransformTranslation, {1, 0, 0});
  Add("TPolygonGeometry", "A", t);
  ScriptObject* b = Add("TJoint", "B", t);
  SetVector(b, 0x02FFF04E, {90, 0, 0});  // a joint turned by its orientation must stay
  WeakObj<ScriptObject> gone(t);
  TakeLog();
  RemoveIdentityTransforms(r);
  EXPECT_EQ(ChildNames(r), "X A B");
  EXPECT_TRUE(gone.IsNil());
  EXPECT_EQ(TakeLog(),
            "Info  NonFlat \"B\".\n"
            "Info  Removing identity \"T\".\n"
            "Info  NonFlat \"X\".\n"
            "Info  NonFlat \"B\".\n");
}

TEST_F(IdentityTransformsTest, NestedFlatTransformsGoHiddenOnesStay) {
  ScriptObject* r = Add("TSimpleTransform", "R");
  ScriptObject* t1 = Add("TSimpleTransform", "T1", r);
  ScriptObject* t2 = Add("TJoint", "T2", t1);
  Add("TPolygonGeometry", "G", t2);
  ScriptObject* hidden = Add("TSimpleTransform", "H", r);
  MemberSet<VU32>(SNodeOf(hidden), kMemberSNodeVisibility, 0);
  Add("TPolygonGeometry", "K", hidden);
  RemoveIdentityTransforms(r);
  EXPECT_EQ(ChildNames(r), "H G");
  EXPECT_EQ(ChildNames(hidden), "K");
  // Only branches are simplified, and the branch itself always stays.
  ScriptObject* leaf = Add("TPolygonGeometry", "L");
  RemoveIdentityTransforms(leaf);
  RemoveIdentityTransforms(nullptr);
  RemoveIdentityTransforms(r);  // R is flat too, and stays
  EXPECT_EQ(ChildNames(r), "H G");
}

TEST_F(IdentityTransformsTest, DeepChainsAreSimplifiedWithoutRecursion) {
  ScriptObject* r = Add("TSimpleTransform", "R");
  Add("TPolygonGeometry", "G", Chain("TSimpleTransform", 1000, r));
  ScriptObject* kept = Add("TSimpleTransform", "kept");
  ScriptObject* bottom = Chain("TSimpleTransform", 1000, kept);
  for (ScriptObject* n = bottom; n != kept; n = MemberGet<VObject>(n, kMemberTNodeParent))
    SetVector(n, kMemberSSimpleTransformTranslation, {0, 1, 0});
  RemoveIdentityTransforms(r);
  RemoveIdentityTransforms(kept);
  EXPECT_EQ(ChildNames(r), "G");
  int depth = 0;
  for (ScriptObject* n = kept; MemberSize(n, kMemberTBranchChild) == 1;
       n = MemberGetAt<VObject>(n, kMemberTBranchChild, 0))
    ++depth;
  EXPECT_EQ(depth, 1000);
}

}  // namespace
}  // namespace PM::Test
