// Applying constraints to their owners: aim, pole vector, point, orient and parent following.
#include <cmath>

#include "anim/AimConstraint.h"
#include "anim/IKSolver.h"
#include "anim/NodeAccess.h"
#include "anim/ParentManager.h"
#include "anim/PoleVectorConstraint.h"
#include "anim/TransformConstraint.h"
#include "anim/TreeUpdate.h"
#include "core/Log.h"
#include "scene/Joint.h"
#include "scene/Transform.h"

namespace PM {

namespace {

constexpr const char* kNotTransformNode = "\" is not a Transform node or Nil.";
constexpr const char* kNotTransform = "\" is not a Transform or Nil.";

// The extra rotation of an offset in degrees (XYZ order); false when the offset is zero.
bool OffsetRotation(const Vector3f& degrees, Matrix4f& out) {
  if (degrees == kZeroVector3f) return false;
  Matrix4fC::MakeRotation(out, degrees * kDegToRad, 0);
  return true;
}

// The rotation of a matrix with its rows normalised; false for a matrix with a zero row (a target
// scaled to nothing to hide it has no orientation to give).
bool RotationOfRows(const Matrix4f& m, Quaternionf& q) {
  Matrix4f r = kIdentityMatrix4f;
  for (int i = 0; i < 3; ++i) {
    Vector3f row = m.Row(i);
    if (!NormalizeChecked(row)) return false;
    r.SetRow(i, row);
  }
  r.Transpose3x3();
  q.SetFromMatrix(r);
  q.Normalize();
  return std::isfinite(q.x + q.y + q.z + q.w);
}

// The owner's matrix with its rotation replaced by `rotation` (row form), keeping scale, shear and
// the given translation.
Matrix4f WithRotation(const Matrix4f& old, const Matrix4f& rotation, const Vector3f& translation) {
  Vector3f scale, shear;
  Matrix4f::ExtractScaleShear(old, scale, shear);
  if (!std::isfinite(scale.x + scale.y + scale.z + shear.x + shear.y + shear.z)) {
    scale = {1, 1, 1};
    shear = kZeroVector3f;
  }
  Matrix4f s, sh;
  s.SetScale(scale);
  sh.SetShear(shear);
  Matrix4f m = Product(Product(s, sh), rotation);
  m.SetRow(3, translation);
  return m;
}

}  // namespace

float TreeUpdate::Contributions(Constraint_I* c, TargetReport report, const char* notTransform,
                                std::vector<Contribution>& out) {
  out.clear();
  const int32_t n = TargetCount(c);
  float w = 0;
  for (int32_t i = 0; i < n; ++i) w += c->WeightAt(i);
  if (!(w > 0)) return 0;
  for (int32_t i = 0; i < n; ++i) {
    const float wi = c->WeightAt(i);
    if (!(wi > 0)) continue;
    ScriptObject* target = TargetOf(c, i, report);
    if (TBaseTransform_I* t = As<TBaseTransform_I>(target)) {
      out.push_back({t, wi / w});
    } else {
      LogWarn("UpdateConstraint: target \"", NameOf(target), "\" of TTransformConstraint \"", c->m_name, notTransform);
    }
  }
  return w;
}

void TreeUpdate::WriteOwner(TBaseTransform_I* owner, const Matrix4f& mv, WritePart part) {
  if (!As<TTransform_I>(owner)) {
    owner->SetModelViewMatrix(mv);
    return;
  }
  STransform_I* s = SNodeOf<STransform_I>(owner);
  if (!s) {
    ScriptObject::ExpectFailed(owner->m_sNode.Get(), STransform_I::kClassId);
    return;
  }
  if (part == kWriteRotation)
    s->SetRotationFromMatrix(m_current, mv);
  else if (part == kWriteTranslation)
    s->SetTranslationFromMatrix(m_current, TranslationOf(mv));
  else
    s->SetTransformFromMatrix(m_current, mv);
  owner->SetModelViewMatrix(Product(s->GetLocalMatrix(), m_current));
}

void TreeUpdate::UpdateConstraint(Constraint_I* c, TNode_I* owner) {
  TBaseTransform_I* t = As<TBaseTransform_I>(owner);
  if (As<AimConstraint_I>(c)) {
    if (t) UpdateAim(c, t);
  } else if (As<PoleVectorConstraint_I>(c)) {
    if (t) UpdatePole(c, t);
  } else if (As<TransformConstraint_I>(c)) {
    if (t)
      UpdateTransform(c, t);
    else
      LogWarn("UpdateConstraint: owner of TTransformConstraint \"", c->m_name, "\" is not a Transform node.");
  }
}

namespace {

Vector3f WeightedPivot(const std::vector<TreeUpdate::Contribution>& parts, const TreeUpdate& u) {
  Vector3f p = kZeroVector3f;
  for (const TreeUpdate::Contribution& k : parts) p = p + TransformPivot(k.target, u.m_root) * k.weight;
  return p;
}

}  // namespace

void TreeUpdate::UpdateAim(Constraint_I* c, TBaseTransform_I* owner) {
  AimConstraint_I* aim = static_cast<AimConstraint_I*>(c);
  Contributions(c, kReportNone, kNotTransformNode, m_contributions);
  if (m_contributions.empty()) return;
  const Vector3f target = WeightedPivot(m_contributions, *this), origin = TransformPivot(owner, m_root);
  Vector3f dir = target - origin;
  if (!NormalizeChecked(dir)) return;  // a target on the owner's pivot gives no direction
  Vector3f up{0, 1, 0};
  if (const TBaseTransform_I* ut = As(aim->m_upTarget)) {
    if (aim->m_upTargetVector != kZeroVector3f)
      TransformVector(up, aim->m_upTargetVector, ut->m_modelViewMatrix);
    else
      up = TransformPivot(ut, m_root) - origin;
  }
  Vector3f aimAxis = aim->m_aimVector, upAxis = aim->m_upVector;
  if (!NormalizeChecked(aimAxis)) return;
  if (!NormalizeChecked(upAxis)) upAxis = PickPerpendicularAxis(aimAxis);
  if (!NormalizeChecked(up)) up = kZeroVector3f;  // no up direction: the aim alone
  Matrix4f r;
  r.SetAim(aimAxis, dir, upAxis, up);
  Matrix4f offset;
  if (OffsetRotation(aim->m_orientOffset, offset)) r = Product(offset, r);
  WriteOwner(owner, WithRotation(owner->m_modelViewMatrix, r, TranslationOf(owner->m_modelViewMatrix)), kWriteRotation);
}

void TreeUpdate::UpdatePole(Constraint_I* c, TBaseTransform_I* owner) {
  TIKHandle_I* h = As<TIKHandle_I>(owner);
  ScriptObject* hp = h ? h->GetParentTransform() : NilScriptObject();
  TJoint_I* sj = h ? As(h->m_startJoint) : nullptr;
  ScriptObject* sp = sj ? sj->GetParentTransform() : NilScriptObject();
  SIKHandle_I* sh = h ? SNodeOf<SIKHandle_I>(h) : nullptr;
  if (!sh || !As<TBaseTransform_I>(hp) || !sj || !As<TBaseTransform_I>(sp)) {
    LogNote("UpdateConstraint: incorrect setup for \"", c->m_name, "\".");
    const auto cls = [](const ScriptObject* o) { return o ? o->GetClassName() : NilScriptObject()->GetClassName(); };
    LogDebug("IKHandle: ", cls(owner));
    LogDebug("IKParent: ", cls(hp));
    LogDebug("SJ:       ", cls(sj));
    LogDebug("SJParent: ", cls(sp));
    return;
  }
  Contributions(c, kReportNone, kNotTransformNode, m_contributions);
  if (m_contributions.empty()) return;
  const Vector3f rel = WeightedPivot(m_contributions, *this) - TransformPivot(sj, m_root);
  Matrix4f inv;
  if (!inv.SetInverseAffine(static_cast<TBaseTransform_I*>(hp)->m_modelViewMatrix)) return;
  TransformVector(sh->m_poleVector, rel, inv);
}

void TreeUpdate::UpdateTransform(Constraint_I* c, TBaseTransform_I* owner) {
  TransformConstraint_I* tc = static_cast<TransformConstraint_I*>(c);
  const uint32_t type = tc->m_constraintType;
  const bool point = type == TransformConstraint_I::kConstraintPoint;
  const bool orient = type == TransformConstraint_I::kConstraintOrient;
  const bool parent = type == TransformConstraint_I::kConstraintParent;
  if (!point && !orient && !parent) return;  // Scale and unknown kinds change nothing
  if (parent && tc->m_parentManager.IsNil() && tc->m_parentIDArray.Count() > 0)
    LogFatal("SolvableConstraint: ParentManager \"\" of constraint \"", c->m_name, "\" is Nil.");
  Contributions(c, parent ? kReportParent : kReportNone, point ? kNotTransformNode : kNotTransform, m_contributions);
  if (m_contributions.empty()) return;

  Vector3f position = TranslationOf(owner->m_modelViewMatrix);
  if (point || parent) position = WeightedPivot(m_contributions, *this);
  if (point) {
    Matrix4f mv = owner->m_modelViewMatrix;
    mv.SetRow(3, position);
    WriteOwner(owner, mv, kWriteTranslation);
    return;
  }
  // Orientation: the first target's rotation, each further one blended in with its share.
  Quaternionf q = kIdentityQuaternionf;
  bool any = false;
  for (const Contribution& k : m_contributions) {
    Quaternionf qi;
    if (!RotationOfRows(k.target->m_modelViewMatrix, qi)) continue;
    if (!any)
      q = qi;
    else
      q.SetSlerp(q, qi, k.weight, 1);
    any = true;
  }
  if (!any) return;
  Matrix4f r = RowRotation(q), extra;
  if (const TJoint_I* j = As<TJoint_I>(owner)) {
    if (const SJoint_I* sj = SNodeOf<SJoint_I>(j); sj && OffsetRotation(sj->m_rotationAxis, extra))
      r = Product(extra, r);
  }
  if (OffsetRotation(tc->m_orientOffset, extra)) r = Product(extra, r);
  WriteOwner(owner, WithRotation(owner->m_modelViewMatrix, r, position), parent ? kWriteBoth : kWriteRotation);
}

}  // namespace PM
