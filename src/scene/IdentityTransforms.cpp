#include "scene/IdentityTransforms.h"

#include <vector>

#include "core/Log.h"
#include "scene/Joint.h"
#include "scene/Transform.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

constexpr float kFlatTolerance = 1.1920929e-07f;  // 2^-23
constexpr Vector3f kOne{1, 1, 1};

// The S-members that must hold their neutral value, by the S-class that has them.
struct NeutralVector {
  uint32_t sClass;
  uint32_t member;
  Vector3f neutral;
};
constexpr NeutralVector kNeutralVectors[] = {
    {SSimpleTransform_I::kClassId, kMemberSSimpleTransformTranslation, kZeroVector3f},
    {SSimpleTransform_I::kClassId, kMemberSSimpleTransformRotation, kZeroVector3f},
    {SSimpleTransform_I::kClassId, kMemberSSimpleTransformScaling, kOne},
    {STransform_I::kClassId, kMemberSTransformRotationAxis, kZeroVector3f},
    {STransform_I::kClassId, kMemberSTransformRotationPivotTranslation, kZeroVector3f},
    {STransform_I::kClassId, kMemberSTransformScalingPivotTranslation, kZeroVector3f},
    {STransform_I::kClassId, kMemberSTransformShearing, kZeroVector3f},
    // A joint's local matrix also turns by its rotation axis and orientation.
    {SJoint_I::kClassId, 0x01FFF04E, kZeroVector3f},  // RotationAxis
    {SJoint_I::kClassId, 0x02FFF04E, kZeroVector3f},  // JointOrientation
};
constexpr uint32_t kLimitMasks[] = {kMemberSSimpleTransformTranslationLimitEnableMask,
                                    kMemberSSimpleTransformRotationLimitEnableMask,
                                    kMemberSSimpleTransformScalingLimitEnableMask};
constexpr uint32_t kMemberSJointParentScaling = 0x04FFF04E;
constexpr uint32_t kMemberSJointParentScalingEnable = 0x05FFF04E;

bool Neutral(ScriptObject* s) {
  if (MemberGet<VU32>(s, kMemberSNodeVisibility) != 1) return false;
  for (uint32_t mask : kLimitMasks)
    if (MemberGet<VU32>(s, mask) != 0) return false;
  for (const NeutralVector& v : kNeutralVectors)
    if (s->IsA(v.sClass) && !MemberGet<VVector3f>(s, v.member).IsEqualEps(v.neutral, kFlatTolerance)) return false;
  // Enabled, the parent's scaling is divided out of the joint's local matrix.
  return !s->IsA(SJoint_I::kClassId) || !MemberGet<VBool>(s, kMemberSJointParentScalingEnable) ||
         MemberGet<VVector3f>(s, kMemberSJointParentScaling).IsEqualEps(kOne, kFlatTolerance);
}

ScriptObject* Child(ScriptObject* branch, int32_t i) { return MemberGetAt<VObject>(branch, kMemberTBranchChild, i); }
int32_t ChildCount(ScriptObject* branch) { return MemberSize(branch, kMemberTBranchChild); }

// Hands the children of `flat` to `parent` (each lands at the end of its list), then detaches `flat`,
// which may die with it. False when a child could not be moved and `flat` stays.
bool Lift(ScriptObject* flat, ScriptObject* parent) {
  LogInfo("Removing identity \"", MemberGet<VString>(flat, kMemberObjectName), "\".");
  for (int32_t left = ChildCount(flat); left > 0;) {
    MemberSet<VObject>(Child(flat, 0), kMemberTNodeParent, parent);
    const int32_t now = ChildCount(flat);
    if (now >= left) {  // refused (logged by the Parent setter): stop rather than try for ever
      LogError("RemoveIdentityTransforms: a child of \"", MemberGet<VString>(flat, kMemberObjectName),
               "\" cannot be moved; the transform stays.");
      return false;
    }
    left = now;
  }
  MemberSet<VObject>(flat, kMemberTNodeParent, NilScriptObject());
  return true;
}

}  // namespace

bool IsTransformFlat(ScriptObject* node) {
  if (!node || !node->IsA(TSimpleTransform_I::kClassId)) return false;
  ScriptObject* s = MemberGet<VObject>(node, kMemberTNodeSNode);
  if (!s->IsA(SSimpleTransform_I::kClassId)) return false;
  if (Neutral(s)) return true;
  LogInfo("NonFlat \"", MemberGet<VString>(node, kMemberObjectName), "\".");
  return false;
}

void RemoveIdentityTransforms(ScriptObject* branch) {
  if (!branch || !branch->IsA(TBranch_I::kClassId)) return;
  // Each level is a branch and the index of the child being examined. A child is simplified before it
  // is tested; the child count is read anew at every step, since removals shrink and lengthen the list.
  struct Level {
    Obj<ScriptObject> branch;
    int32_t i;
    bool childDone;
  };
  std::vector<Level> levels;
  levels.push_back({Obj<ScriptObject>(branch), 0, false});
  while (!levels.empty()) {
    Level& top = levels.back();
    if (top.childDone) {
      top.childDone = false;
      // Held while it is examined: the pointer is compared after it may have left the tree.
      Obj<ScriptObject> c(Child(top.branch, top.i));
      // A removed child's place is taken by the next one, which is examined in turn. An entry left over
      // from a child that moved to another parent does not leave this list: the loop steps past it.
      if (IsTransformFlat(c) && Lift(c, top.branch) && Child(top.branch, top.i) != c.Get()) continue;
      ++top.i;
      continue;
    }
    if (top.i >= ChildCount(top.branch)) {
      levels.pop_back();
      continue;
    }
    top.childDone = true;
    ScriptObject* c = Child(top.branch, top.i);
    if (c->IsA(TBranch_I::kClassId)) levels.push_back({Obj<ScriptObject>(c), 0, false});
  }
}

}  // namespace PM
