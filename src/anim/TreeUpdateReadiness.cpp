// Readiness of constraints and IK handles: every input must carry the pass's stamp.
#include "anim/AimConstraint.h"
#include "anim/NodeAccess.h"
#include "anim/ParentManager.h"
#include "anim/PoleVectorConstraint.h"
#include "anim/TreeUpdate.h"
#include "core/Log.h"
#include "scene/IKSplineHandle.h"

namespace PM {

ScriptObject* TreeUpdate::TargetOf(Constraint_I* c, int32_t i, TargetReport report) {
  ParentManager_I* pm = As(c->m_parentManager);
  if (!pm) return i < c->m_targetArray.Count() ? c->m_targetArray[i].Get() : NilScriptObject();
  const int32_t id = c->ParentIDAt(i);
  TBranch_I* parent = id >= 0 ? pm->ParentAt(id) : nullptr;
  if (parent) {
    if (TBaseTransform_I* t = As<TBaseTransform_I>(parent)) {
      if (i >= c->m_targetArray.Count()) c->m_targetArray.Grow(i + 1);
      c->m_targetArray[i] = t;
    }
    return parent;
  }
  if (report == kReportSolvable) {
    LogWarn("SolvableConstraint: ParentID ", id, " is not defined.");
  } else if (report == kReportParent) {
    if (id < 0)
      LogWarn("SolvableConstraint: ParentID  of constraint ", c->m_name, " is -1.");
    else
      LogWarn("SolvableConstraint: ParentID ", id, " of constraint ", c->m_name, " is not defined.");
  }
  return NilScriptObject();
}

int32_t TreeUpdate::TargetCount(const Constraint_I* c) {
  return c->m_parentManager.IsNil() ? c->m_targetArray.Count() : c->m_parentIDArray.Count();
}

bool TreeUpdate::SolvableConstraint(Constraint_I* c, TNode_I* owner) {
  const int32_t n = std::min(TargetCount(c), c->m_weightArray.Count());
  for (int32_t i = 0; i < n; ++i) {
    if (!(c->m_weightArray[i] > 0.0f)) continue;
    ScriptObject* target = TargetOf(c, i, kReportSolvable);
    const TBaseTransform_I* t = As<TBaseTransform_I>(target);
    if (!t) {
      LogWarn("SolvableConstraint: target \"", NameOf(target), "\" of TTransformConstraint \"", c->m_name,
              "\" is not a Transform node or Nil.");
      continue;
    }
    if (!IsCurrent(t)) {
      if (m_logWaits) LogDebug("SolvableConstraint: ", c->m_name, " waiting for ", t->m_name);
      return false;
    }
  }
  if (const AimConstraint_I* aim = As<AimConstraint_I>(c)) {
    const TBaseTransform_I* up = As(aim->m_upTarget);
    if (up && !IsCurrent(up)) {
      if (m_logWaits) LogDebug("SolvableConstraint: aim ", c->m_name, " waiting for ", up->m_name);
      return false;
    }
  } else if (As<PoleVectorConstraint_I>(c)) {
    if (TIKHandle_I* h = As<TIKHandle_I>(owner)) {
      const TBaseTransform_I* hp = As<TBaseTransform_I>(h->GetParentTransform());
      const TJoint_I* sj = As(h->m_startJoint);
      const TBaseTransform_I* sp = sj ? As<TBaseTransform_I>(sj->GetParentTransform()) : nullptr;
      if (hp && sp) {
        for (const TBaseTransform_I* t : {hp, sp}) {
          if (IsCurrent(t)) continue;
          if (m_logWaits) LogDebug("SolvableConstraint: ", c->m_name, " waiting for ", t->m_name);
          return false;
        }
      }
    }
  }
  return true;
}

bool TreeUpdate::SolvableIK(TIKHandle_I* handle) {
  if (const TJoint_I* sj = As(handle->m_startJoint)) {
    const TBaseTransform_I* p = As<TBaseTransform_I>(sj->GetParentTransform());
    if (p && !IsCurrent(p)) {
      if (m_logWaits) LogDebug("SolvableIK: ", handle->m_name, " waiting for ", p->m_name);
      return false;
    }
  }
  if (const TIKSplineHandle_I* s = As<TIKSplineHandle_I>(handle)) {
    for (int32_t i = s->m_clusterHandles.Count() - 1; i >= 0; --i) {
      const TBaseTransform_I* cl = As<TBaseTransform_I>(s->m_clusterHandles[i].Get());
      if (!cl || IsCurrent(cl)) continue;
      if (m_logWaits) LogDebug("SolvableSplineIK: ", handle->m_name, " waiting for ", cl->m_name);
      return false;
    }
  }
  return true;
}

}  // namespace PM
