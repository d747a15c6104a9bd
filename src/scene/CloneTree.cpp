#include "scene/CloneTree.h"

#include <vector>

#include "classes/EngineClassIds.h"
#include "core/Log.h"
#include "scene/BaseTransform.h"
#include "scene/ImportModule.h"
#include "scene/Joint.h"
#include "scene/SplineCurve.h"
#include "scene/Transform.h"
#include "scene/TreeDepth.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

// Geometry sits above the scene: its classes and members are named by id.
constexpr uint32_t kMemberTGeometryShader = MakeMemberId(1, ClassId::TGeometry);

// The classes whose T-side holds nothing beyond what the clone takes over.
constexpr uint32_t kFullySupported[] = {TTransform_I::kClassId, ClassId::TPolygonGeometry, TSimpleTransform_I::kClassId,
                                        TJoint_I::kClassId, TSplineCurve_I::kClassId};

bool FullySupported(uint32_t classId) {
  for (uint32_t id : kFullySupported)
    if (id == classId) return true;
  return false;
}

// A new object of n's exact class with n's name, S-node, bounding data and shader.
Obj<ScriptObject> CloneNode(ScriptObject* n) {
  Obj<ScriptObject> clone(ScriptObject::Create(n->GetClassID()));
  const String name = MemberGet<VString>(n, kMemberObjectName);
  if (!FullySupported(n->GetClassID())) LogWarn("CloneTree: node type of \"", name, "\" is not fully supported yet.");
  if (clone.IsNil()) return clone;
  // The name goes first: the factory's own S-node is replaced below, so a name setter that also
  // names the S-node cannot touch the shared one.
  MemberSet<VString>(clone, kMemberObjectName, name);
  if (n->IsA(TNode_I::kClassId)) {
    MemberSet<VObject>(clone, kMemberTNodeSNode, MemberGet<VObject>(n, kMemberTNodeSNode));
    MemberSet<VEnum>(clone, kMemberTNodeBoundingMode, MemberGet<VEnum>(n, kMemberTNodeBoundingMode));
    MemberSet<VSpheref>(clone, kMemberTNodeBoundingSphere, MemberGet<VSpheref>(n, kMemberTNodeBoundingSphere));
  }
  if (n->IsA(ClassId::TGeometry))
    MemberSet<VObject>(clone, kMemberTGeometryShader, MemberGet<VObject>(n, kMemberTGeometryShader));
  if (n->IsA(TBaseTransform_I::kClassId) && MemberSize(n, kMemberTBaseTransformConstraintArray) > 0)
    LogWarn("CloneTree: constraint on \"", name, "\" is not supported yet.");
  return clone;
}

}  // namespace

Obj<ScriptObject> CloneTree(ScriptObject* root) {
  if (!root || !root->IsA(TNode_I::kClassId)) return Obj<ScriptObject>();
  Array<Obj<ScriptObject>> nodes;
  SubtreeIndex index;
  CollectSubtree(root, nodes, index);

  // Levels, from the links: the collection visits a parent before its children.
  std::vector<int32_t> level(size_t(nodes.Count()), 0);
  for (int32_t i = 0; i < nodes.Count(); ++i) {
    ScriptObject* n = nodes[i];
    if (!n->IsA(TBranch_I::kClassId)) continue;
    for (const Obj<TNode_I>& child : static_cast<TBranch_I*>(n)->m_children) {
      auto at = index.find(child.Get());
      if (at == index.end() || at->second <= i) continue;
      level[size_t(at->second)] = level[size_t(i)] + 1;
      if (level[size_t(at->second)] >= kMaxTreeDepth) {
        ReportTreeTooDeep("CloneTree", static_cast<TNode_I*>(n), "not cloned.");
        return Obj<ScriptObject>();
      }
    }
  }

  Array<Obj<ScriptObject>> clones;
  clones.Reserve(nodes.Count());
  for (const Obj<ScriptObject>& n : nodes) clones.Append(CloneNode(n));

  // Each link appends to the new parent's children, so the clone lists them in reverse order.
  for (int32_t i = 0; i < nodes.Count(); ++i) {
    ScriptObject* n = nodes[i];
    if (!n->IsA(TBranch_I::kClassId)) continue;
    for (int32_t c = MemberSize(n, kMemberTBranchChild) - 1; c >= 0; --c) {
      auto at = index.find(MemberGetAt<VObject>(n, kMemberTBranchChild, c));
      if (at == index.end()) {
        LogError("CloneTree: failed to clone a child.");
        continue;
      }
      if (!clones[at->second].IsNil() && !clones[i].IsNil())
        MemberSet<VObject>(clones[at->second], kMemberTNodeParent, clones[i]);
    }
  }
  return clones[0];
}

}  // namespace PM
