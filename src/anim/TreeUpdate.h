// The per-frame tree update: every transform of a channel's tree gets its model-view matrix with its
// constraints and IK chains solved in dependency order. Nodes whose inputs are not yet current wait and
// are retried in at most 100 sweeps. The frame traversal reaches it through the render layer's tree
// update slot; the state lives for one pass.
#pragma once

#include <cstdint>
#include <vector>

#include "anim/Constraint.h"
#include "render/TreeUpdateHook.h"
#include "scene/IKHandle.h"
#include "scene/TreeDepth.h"

namespace PM {

class TreeUpdate {
 public:
  static constexpr int32_t kSweeps = 100;

  // Runs one pass over pass.root and hands the collected particle and sound nodes back.
  void RunPass(TreeUpdatePass& pass);

  // Updates one node and its subtree under the current matrix.
  void UpdateNode(TNode_I* node);
  // Are all inputs of the constraint current?
  bool SolvableConstraint(Constraint_I* c, TNode_I* owner);
  // Are the handle's chain inputs (and a spline handle's cluster handles) current?
  bool SolvableIK(TIKHandle_I* handle);
  // Applies one constraint to its owner.
  void UpdateConstraint(Constraint_I* c, TNode_I* owner);

  bool IsCurrent(const TBaseTransform_I* t) const { return t->m_matrixFrame == m_stamp; }
  // Stores t's WorldMatrix from its new model-view matrix; `stampBefore` is t's matrix stamp before
  // this pass touched it.
  void StoreWorldMatrix(TBaseTransform_I* t, uint32_t stampBefore) const;
  // The model-view matrix of the node's parent transform, or the pass's root matrix.
  const Matrix4f& ParentMatrix(const TNode_I* node) const;

  // A target that counts, with its share w_i / W of the weight sum.
  struct Contribution {
    TBaseTransform_I* target;
    float weight;
  };

  uint32_t m_drawMask = 0xFFFFFFFF;
  uint32_t m_excludeMask = 0;
  uint32_t m_stamp = 0;
  Matrix4f m_current = kIdentityMatrix4f;  // the parent matrix of the node being updated
  Matrix4f m_root = kIdentityMatrix4f;     // the pass's starting matrix
  Matrix4f m_toWorld = kIdentityMatrix4f;  // carries a model-view matrix of this pass into world space
  bool m_worldPass = false;                // the world-space ("UpdateConstraint") pass
  Array<Obj<TNode_I>> m_waiting;
  Array<Obj<ScriptObject>> m_particles, m_soundEmitters, m_soundReceivers;
  bool m_logWaits = false;

 private:
  void Transform(TBaseTransform_I* node);
  void UpdateChildren(TBranch_I* node);
  void Wait(TNode_I* node) { m_waiting.Append(Obj<TNode_I>(node)); }
  // Up to kSweeps sweeps over the waiting nodes; true when the wait list emptied (or the camera is done).
  bool Sweep(const TBaseTransform_I* camera);
  // Which messages a failed parent number writes: none, the readiness test's or the parent kind's.
  enum TargetReport { kReportNone, kReportSolvable, kReportParent };
  // Target i of c: entry i of TargetArray or, with a parent manager, the ParentArray entry that
  // ParentIDArray[i] names (then also stored in TargetArray when it is a transform); nil when none.
  ScriptObject* TargetOf(Constraint_I* c, int32_t i, TargetReport report);
  // How many targets c names: TargetArray's count, or ParentIDArray's with a parent manager.
  static int32_t TargetCount(const Constraint_I* c);
  // The targets with a weight above 0 that are transforms, and W; non-transforms are reported with
  // `notTransform` ("node or Nil." or "or Nil.").
  float Contributions(Constraint_I* c, TargetReport report, const char* notTransform, std::vector<Contribution>& out);
  void UpdateAim(Constraint_I* c, TBaseTransform_I* owner);
  void UpdatePole(Constraint_I* c, TBaseTransform_I* owner);
  void UpdateTransform(Constraint_I* c, TBaseTransform_I* owner);
  // Writes a new model-view matrix of the owner: through its STransform (`part` chooses rotation,
  // translation or both) for a TTransform, directly otherwise.
  enum WritePart { kWriteRotation, kWriteTranslation, kWriteBoth };
  void WriteOwner(TBaseTransform_I* owner, const Matrix4f& mv, WritePart part);

  // Refreshes a geometry's bounds from its S-node (see m_boundsPass and m_boundsSource).
  void UpdateBounds(TNode_I* node);

  std::vector<Contribution> m_contributions;  // scratch of UpdateConstraint
  // Bounds are refreshed in the drawing pass only: the constraint pass culls nothing, and the drawing
  // pass of the same frame follows it.
  bool m_boundsPass = true;
  // A polygon geometry's sphere depends on its S-node alone, which nothing in a pass changes: instances
  // that share one S-node take the sphere the last computation left here instead of recomputing it.
  const ScriptObject* m_boundsSource = nullptr;
  Spheref m_boundsSphere;
  int32_t m_depth = 0;  // levels below the pass's root; deeper than kMaxTreeDepth is cut off, not recursed
  bool m_depthReported = false;
};

}  // namespace PM
