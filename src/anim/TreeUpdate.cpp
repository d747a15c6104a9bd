#include "anim/TreeUpdate.h"

#include "anim/IKSolver.h"
#include "anim/IKSplineSolver.h"
#include "anim/NodeAccess.h"
#include "anim/Particles.h"
#include "core/Log.h"
#include "geometry/PolygonGeometry.h"
#include "scene/IKSplineHandle.h"
#include "scene/LODGroup.h"
#include "scene/SoundEmitter.h"
#include "scene/SoundReceiverNode.h"

namespace PM {

const Matrix4f& TreeUpdate::ParentMatrix(const TNode_I* node) const { return ParentMatrixOf(node, m_root); }

void TreeUpdate::UpdateChildren(TBranch_I* node) {
  for (int32_t i = 0; i < node->ChildCount(); ++i)
    if (TNode_I* child = As<TNode_I>(node->m_children[i].Get())) UpdateNode(child);
}

void TreeUpdate::UpdateNode(TNode_I* node) {
  if (m_depth >= kMaxTreeDepth) {
    if (!m_depthReported) ReportTreeTooDeep("TreeUpdate", node, "not updated.");
    m_depthReported = true;
    return;
  }
  const SNode_I* sn = SNodeOf<SNode_I>(node);
  if (sn && (sn->m_visibility & m_excludeMask)) return;
  TBaseTransform_I* t = As<TBaseTransform_I>(node);
  if (t) {
    for (int32_t i = 0; i < t->m_constraints.Count(); ++i) {
      Constraint_I* c = As<Constraint_I>(t->m_constraints[i].Get());
      if (!c || SolvableConstraint(c, node)) continue;
      Wait(node);
      if (m_logWaits) {
        LogDebug("Wait/Dependant: ", node->m_name, " ", c->m_name);
        SolvableConstraint(c, node);
      }
      return;
    }
  }
  ++m_depth;
  // Tested with IsA as the drawing walks do, so a subclass is updated as its base class; a subclass
  // comes before its base (a joint and an IK handle are transforms, a LOD group a branch).
  if (TJoint_I* j = As<TJoint_I>(node)) {
    TIKHandle_I* h = As<TIKHandle_I>(j->m_ikDependency.Get());
    const SIKHandle_I* sh = h ? SNodeOf<SIKHandle_I>(h) : nullptr;
    if (!(sh && sh->m_solverEnable)) {  // else the handle's solver places it
      if (SJoint_I* sj = SNodeOf<SJoint_I>(j)) sj->SetParentScaling(ParentScalingOf(j));
      Transform(t);
    }
  } else if (TIKHandle_I* h = As<TIKHandle_I>(node)) {
    const SIKHandle_I* sh = SNodeOf<SIKHandle_I>(h);
    if (sh && sh->m_solverEnable && !SolvableIK(h)) {
      Wait(node);
      if (m_logWaits) LogDebug("Wait/SolvableIK: ", node->m_name);
    } else {
      Transform(t);
    }
  } else if (t) {
    Transform(t);
  } else if (TLODGroup_I* g = As<TLODGroup_I>(node)) {
    const int32_t level = SelectLODLevel(g, TranslationOf(m_current).LengthSquared());
    if (level >= 0 && level < g->ChildCount())
      if (TNode_I* child = As<TNode_I>(g->m_children[level].Get())) UpdateNode(child);
  } else if (node->IsA(TParticles_I::kClassId)) {
    m_particles.Append(Obj<ScriptObject>(node));
  } else if (node->IsA(TSoundEmitter_I::kClassId)) {
    m_soundEmitters.Append(Obj<ScriptObject>(node));
  } else if (node->IsA(TSoundReceiver_I::kClassId)) {
    m_soundReceivers.Append(Obj<ScriptObject>(node));
  } else if (TBranch_I* b = As<TBranch_I>(node)) {
    UpdateChildren(b);  // a mesh group too: its subdivision data is built by the geometry stage
  } else if (m_boundsPass && (node->m_boundingMode == kBoundingDynamic || node->m_boundingSphere.IsEmpty())) {
    // Geometry keeps its bounds in step with its S-node: every frame when dynamic, once otherwise.
    UpdateBounds(node);
  }
  --m_depth;
}

void TreeUpdate::UpdateBounds(TNode_I* node) {
  // The exact class on purpose: only plain polygon geometry takes its bounds from the S-node alone, so
  // only it may reuse the bounds of the previous node over the same S-node; a subclass (a skin, metaballs)
  // computes bounds of its own.
  if (node->GetClassID() != TPolygonGeometry_I::kClassId) {
    node->OnUpdate();
    return;
  }
  const ScriptObject* s = node->GetSNode();
  if (s == m_boundsSource && s) {
    node->m_boundingSphere = m_boundsSphere;
    return;
  }
  node->OnUpdate();
  if (s && s->IsA(SPolygonGeometry_I::kClassId)) {
    m_boundsSource = s;
    m_boundsSphere = node->m_boundingSphere;
  }
}

void TreeUpdate::StoreWorldMatrix(TBaseTransform_I* t, uint32_t stampBefore) const {
  // In the world-space pass the model-view matrix is the world matrix. The drawing pass keeps what
  // that pass stored this frame and derives the rest (the nodes it stopped before once the camera
  // was placed) from the view.
  if (m_worldPass)
    t->m_worldMatrix = t->m_modelViewMatrix;
  else if (stampBefore != (m_stamp ^ 0x80000000u))
    t->m_worldMatrix.SetProductAffine(t->m_modelViewMatrix, m_toWorld);
}

void TreeUpdate::Transform(TBaseTransform_I* node) {
  const uint32_t stampBefore = node->m_matrixFrame;
  SBaseTransform_I* s = SNodeOf<SBaseTransform_I>(node);
  Matrix4f mv;
  node->SetModelViewMatrix(s ? s->ApplyLocalMatrix(m_current, mv) : m_current);
  for (int32_t i = 0; i < node->m_constraints.Count(); ++i)
    if (Constraint_I* c = As<Constraint_I>(node->m_constraints[i].Get())) UpdateConstraint(c, node);

  if (TIKHandle_I* h = As<TIKHandle_I>(node)) {
    const SIKHandle_I* sh = SNodeOf<SIKHandle_I>(h);
    if (sh && sh->m_solverEnable) {
      if (TIKSplineHandle_I* spline = As<TIKSplineHandle_I>(node)) {
        IKSplineSolver(*this, spline);
      } else {
        TJoint_I* start = As(h->m_startJoint);
        const uint32_t startStampBefore = start ? start->m_matrixFrame : 0;
        SolveIKChain(h, m_stamp, m_root);
        if (start) {
          if (start->m_matrixFrame == m_stamp) StoreWorldMatrix(start, startStampBefore);
          const Matrix4f saved = m_current;
          const Matrix4f startMatrix = start->m_modelViewMatrix;
          for (int32_t i = 0; i < start->ChildCount(); ++i) {
            m_current = startMatrix;
            if (TNode_I* child = As<TNode_I>(start->m_children[i].Get())) UpdateNode(child);
          }
          m_current = saved;
        }
      }
    }
  }

  StoreWorldMatrix(node, stampBefore);
  node->SetMatrixVersion(m_stamp);
  const Matrix4f saved = m_current;
  m_current = node->m_modelViewMatrix;
  UpdateChildren(node);
  m_current = saved;
}

bool TreeUpdate::Sweep(const TBaseTransform_I* camera) {
  for (int32_t sweep = 0; sweep < kSweeps && m_waiting.Count() > 0; ++sweep) {
    // The nodes waiting when the sweep began, in order; those still not ready queue up again behind.
    Array<Obj<TNode_I>> round;
    std::swap(round, m_waiting);
    for (int32_t i = 0; i < round.Count(); ++i) {
      TNode_I* node = round[i].Get();
      m_current = ParentMatrix(node);
      UpdateNode(node);
      if (camera && IsCurrent(camera)) {
        m_waiting.Clear();
        return true;
      }
    }
  }
  return m_waiting.Count() == 0;
}

void TreeUpdate::RunPass(TreeUpdatePass& pass) {
  const bool constraintPass = pass.kind == TreeUpdatePass::kConstraint;
  m_drawMask = pass.drawMask;
  m_excludeMask = pass.excludeMask;
  m_stamp = constraintPass ? pass.frame ^ 0x80000000u : pass.frame;
  m_logWaits = false;
  m_current = m_root = pass.parentMatrix;
  m_worldPass = constraintPass;
  m_toWorld.SetInverseAffine(pass.parentMatrix);
  m_waiting.Clear();
  m_particles.Clear();
  m_soundEmitters.Clear();
  m_soundReceivers.Clear();
  m_depth = 0;
  m_depthReported = false;
  m_boundsPass = pass.kind == TreeUpdatePass::kTree;
  m_boundsSource = nullptr;

  if (TNode_I* root = As<TNode_I>(pass.root)) UpdateNode(root);
  const TBaseTransform_I* camera = constraintPass ? As<TBaseTransform_I>(pass.camera) : nullptr;
  // The world-space pass is there for the camera: without a camera transform, or with one already
  // done, nothing more is needed.
  const bool sweep = !constraintPass || (camera && !IsCurrent(camera));
  if (sweep && !Sweep(camera)) {
    LogFatal("RenderSystemTraverse_D: ", constraintPass ? "DependantP1" : "DependantP2", " infinite recursion.");
    for (const Obj<TNode_I>& n : m_waiting) LogDebug("Node: \"", n->m_name, "\".");
    if (!constraintPass) {
      m_logWaits = true;
      Sweep(nullptr);
    }
  }
  std::swap(pass.particles, m_particles);
  std::swap(pass.soundEmitters, m_soundEmitters);
  std::swap(pass.soundReceivers, m_soundReceivers);
}

namespace {

void RunTreeUpdate(TreeUpdatePass& pass) {
  TreeUpdate update;
  update.RunPass(pass);
}

[[maybe_unused]] const bool kInstalled = (SetTreeUpdate(&RunTreeUpdate), true);

}  // namespace
}  // namespace PM
