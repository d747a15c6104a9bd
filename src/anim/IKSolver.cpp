#include "anim/IKSolver.h"

#include <cmath>

#include "anim/NodeAccess.h"
#include "core/Log.h"
#include "scene/Joint.h"

namespace PM {

namespace {

constexpr float kPi = 3.1415927f;

// The part of v across the direction d (|d|² > 0).
Vector3f Across(const Vector3f& v, const Vector3f& d) { return v - d * (v.Dot(d) / d.LengthSquared()); }
Matrix4f Rotation(const Vector3f& degrees, int order) {
  Matrix4f m;
  Matrix4fC::MakeRotation(m, degrees * kDegToRad, order);
  return m;
}

// A chain joint with its description.
struct Joint {
  TJoint_I* t = nullptr;
  SJoint_I* s = nullptr;
  explicit Joint(ScriptObject* o) : t(As<TJoint_I>(o)), s(t ? SNodeOf<SJoint_I>(t) : nullptr) {}
  explicit operator bool() const { return s != nullptr; }
  // Rotation back to the preferred angle; the matrix from the parent's.
  void Reset(const Vector3f& parentScaling, const Matrix4f& parentMatrix) {
    s->SetRotation(s->m_preferredAngle);
    s->SetParentScaling(parentScaling);
    t->SetModelViewMatrix(Product(s->GetLocalMatrix(), parentMatrix));
  }
  // Rotation = R_pref · K · Q · K⁻¹ with K = R_jo · S⁻¹ · parent: the preferred pose turned by q in
  // model-view space. A singular K leaves the preferred angle.
  Vector3f Rotated(const Quaternionf& q, const Matrix4f& parentMatrix, Vector3f* scale = nullptr,
                   Vector3f* shear = nullptr) const {
    Matrix4f sInv = kIdentityMatrix4f;
    if (s->m_parentScalingEnable) {
      const Vector3f& ps = s->m_parentScaling;
      sInv.SetScale({ps.x != 0 ? 1 / ps.x : 1, ps.y != 0 ? 1 / ps.y : 1, ps.z != 0 ? 1 / ps.z : 1});
    }
    const Matrix4f k = Product(Product(Rotation(s->m_jointOrientation, 0), sInv), parentMatrix);
    Matrix4f kInv;
    if (!kInv.SetInverseAffine(k)) return s->m_preferredAngle;
    const Matrix4f r = Product(Product(Product(Rotation(s->m_preferredAngle, 0), k), RowRotation(q)), kInv);
    Vector3f translation, sc, sh, radians;
    Decompose(r, s->OrderIndex(), translation, sc, sh, radians);
    if (scale) *scale = sc;
    if (shear) *shear = sh;
    return radians * kRadToDeg;
  }
};

// The handle's pole vector in model-view space: turned by its parent transform's matrix.
Vector3f PoleOf(TIKHandle_I* handle, const Matrix4f& root) {
  const SIKHandle_I* s = SNodeOf<SIKHandle_I>(handle);
  Vector3f p;
  TransformVector(p, s ? s->m_poleVector : Vector3f{0, 0, 1}, ParentMatrixOf(handle, root));
  return p;
}

}  // namespace

Vector3f TransformPivot(const TNode_I* node, const Matrix4f& root) {
  const Matrix4f& m = ParentMatrixOf(node, root);
  Vector3f p = TranslationOf(m);
  const ScriptObject* o = node;
  if (o->IsA(TTransform_I::kClassId)) {
    if (const STransform_I* s = SNodeOf<STransform_I>(node))
      TransformPoint(p, s->m_translation + s->m_rotationPivotTranslation + s->m_rotationPivot, m);
  } else if (o->IsA(TSimpleTransform_I::kClassId)) {
    if (const SSimpleTransform_I* s = SNodeOf<SSimpleTransform_I>(node)) TransformPoint(p, s->m_translation, m);
  }
  return p;
}

void GetTransformPivot(ScriptObject* node, Vector3f& out) {
  const TNode_I* n = As<TNode_I>(node);
  out = n ? TransformPivot(n, kIdentityMatrix4f) : kZeroVector3f;
}

Vector3f PickPerpendicularAxis(const Vector3f& v) {
  const float ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
  if (ax > ay) {
    if (ax < az) return {-v.z, 0, 0};
    return ay < az ? Vector3f{0, 0, v.x} : Vector3f{0, -v.x, 0};
  }
  if (ay > az) return ax < az ? Vector3f{0, 0, -v.y} : Vector3f{v.y, 0, 0};
  return ax < ay ? Vector3f{0, v.z, 0} : Vector3f{-v.z, 0, 0};
}

void Solve2B(const Vector3f& A, const Vector3f& B, const Vector3f& E, const Vector3f& G, const Vector3f& P,
             float twistDegrees, const String& name, Quaternionf& qRoot, Quaternionf& qMid) {
  qRoot = kIdentityQuaternionf;
  qMid = kIdentityQuaternionf;
  const Vector3f u = B - A, v = E - B, d = G - A, c = E - A;
  const float l1s = u.LengthSquared(), l2s = v.LengthSquared(), cs = c.LengthSquared(), ds = d.LengthSquared();
  // A zero bone or an effector on the root defines no bend: the preferred pose stays.
  if (!(l1s > 0) || !(l2s > 0) || !(cs > 0)) return;
  const float pl = P.Length();
  const bool poleDefined = pl > 0;
  const Vector3f Ps = poleDefined ? P * (std::sqrt(cs) / pl) : kZeroVector3f;
  const Vector3f w = Across(u, c);
  const float theta = u.GetAngle(v);

  // The bend axis; a straight chain bends towards the pole, else about any perpendicular of u.
  Vector3f n = Cross(u, v);
  if (!NormalizeChecked(n)) {
    n = Cross(u, Ps);
    if (!NormalizeChecked(n)) {
      n = Cross(u, PickPerpendicularAxis(u));
      NormalizeChecked(n);
    }
  }
  float cosPhi = (ds - l1s - l2s) / (2.0f * std::sqrt(l1s * l2s));
  cosPhi = cosPhi > 1.0f ? 1.0f : cosPhi < -1.0f ? -1.0f : cosPhi;
  qMid = Quaternionf::FromAxisAngle(n, std::acos(cosPhi) - theta);
  const Vector3f v2 = v.Rotated(qMid);

  const Vector3f c2 = u + v2;
  Quaternionf swing = kIdentityQuaternionf;
  if (ds > 0 && c2.LengthSquared() > 0) swing = Quaternionf::FromArc(c2, d);
  Vector3f u2 = u.Rotated(swing);
  if (ds > 0 && u2.IsSameDirection(d, 1e-5f)) u2 = w.Rotated(swing);

  Quaternionf pole = kIdentityQuaternionf;
  if (!poleDefined || ds < 1e-5f || Ps.IsSameDirection(d, 1e-5f)) {
    LogWarn("Solve2B: unsolvable case on \"", name, "\"?");
  } else {
    Vector3f w2 = Across(u2, d), p = Across(Ps, d);
    const float den = std::sqrt(p.LengthSquared() * w2.LengthSquared());
    if (den > 0) {  // a chain straight along the goal has no knee to turn
      const float k = p.Dot(w2) / den;
      if (std::fabs(k + 1.0f) < 1e-5f) {
        Vector3f axis = d;
        NormalizeChecked(axis);
        pole = Quaternionf::FromAxisAngle(axis, kPi);
      } else if (NormalizeChecked(w2) && NormalizeChecked(p)) {
        pole = Quaternionf::FromArc(w2, p);
      }
    }
  }

  Quaternionf twist = kIdentityQuaternionf;
  if (ds >= 1.1920929e-7f) {
    Vector3f axis = d;
    NormalizeChecked(axis);
    twist = Quaternionf::FromAxisAngle(axis, twistDegrees * kDegToRad);
  } else {
    LogWarn("Solve2B: twist undefined on \"", name, "\"?");
  }
  qRoot = twist * pole * swing;
}

Quaternionf Solve1BFrames(const Vector3f& Pp, const Vector3f& A, const Vector3f& E, const Vector3f& G,
                          const Vector3f& P, const Vector3f& H, float twistDegrees, int32_t mode) {
  const Vector3f g = G - A, e = E - A;
  if (!(g.LengthSquared() > 0) || !(e.LengthSquared() > 0)) return kIdentityQuaternionf;
  Vector3f gn = g;
  NormalizeChecked(gn);
  Quaternionf align;
  Vector3f n = P, nPerp = kZeroVector3f;
  if (NormalizeChecked(n)) nPerp = Across(n, g);
  Vector3f r = mode == 0 ? A - Pp : H - A;
  Vector3f x = Cross(e, r);
  if (!NormalizeChecked(x)) {  // the reference lies along the bone: any perpendicular will do
    x = Cross(e, PickPerpendicularAxis(e));
    NormalizeChecked(x);
  }
  Vector3f x2 = Cross(g, nPerp);
  if (!NormalizeChecked(x2)) {
    // No pole across the goal: aim along the shortest arc, without roll.
    align = Quaternionf::FromArc(e, g);
  } else {
    Vector3f y = Cross(e, x), z = e, y2 = Cross(g, x2), z2 = gn;
    NormalizeChecked(y);
    NormalizeChecked(z);
    NormalizeChecked(y2);
    const Vector3f cur[3] = {x, y, z}, tgt[3] = {x2, y2, z2};
    // (target)ᵀ · current: the carrying rotation in the column form that SetFromMatrix reads.
    Matrix4f m = kIdentityMatrix4f;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        float sum = 0;
        for (int k = 0; k < 3; ++k) sum += (&tgt[k].x)[i] * (&cur[k].x)[j];
        m.m[4 * i + j] = sum;
      }
    align.SetFromMatrix(m);
  }
  return Quaternionf::FromAxisAngle(gn, twistDegrees * kDegToRad) * align;
}

void Solve1B(TIKHandle_I* handle, uint32_t stamp, const Matrix4f& root) {
  TIKEffector_I* effector = As(handle->m_endEffector);
  Joint start(handle->m_startJoint.Get());
  if (!effector || !start || effector->GetParent() != start.t) return;
  const SIKHandle_I* sh = SNodeOf<SIKHandle_I>(handle);
  SBaseTransform_I* se = SNodeOf<SBaseTransform_I>(effector);
  if (!sh || !se) return;
  const Matrix4f& p0 = ParentMatrixOf(start.t, root);
  start.Reset(ParentScalingOf(start.t), p0);
  effector->SetModelViewMatrix(Product(se->GetLocalMatrix(), start.t->m_modelViewMatrix));
  const Vector3f Pp = TranslationOf(p0), A = TranslationOf(start.t->m_modelViewMatrix),
                 E = TranslationOf(effector->m_modelViewMatrix), G = TransformPivot(handle, root);
  const Vector3f P = PoleOf(handle, root);
  const SSimpleTransform_I* seSimple = SNodeOf<SSimpleTransform_I>(effector);
  Vector3f H;
  TransformPoint(H, PickPerpendicularAxis(seSimple ? seSimple->m_translation : kZeroVector3f),
                 start.t->m_modelViewMatrix);
  const Quaternionf q = Solve1BFrames(Pp, A, E, G, P, H, sh->m_twist, sh->m_solverMode);

  const Matrix4f pref = start.t->m_modelViewMatrix;
  start.s->SetRotation(kZeroVector3f);
  start.t->SetModelViewMatrix(Product(start.s->GetLocalMatrix(), p0));
  const Matrix4f r = Product(Product(pref, RowRotation(q)), start.t->GetModelViewMatrixInverse());
  Vector3f t, scale, shear, radians;
  Decompose(r, start.s->OrderIndex(), t, scale, shear, radians);
  start.s->SetRotation(radians * kRadToDeg);
  if (scale.x < 0 || scale.y < 0 || scale.z < 0) LogWarn("Solve1B: ", start.t->m_name, " negative scale");
  if (std::fabs(shear.x) > 1e-5f || std::fabs(shear.y) > 1e-5f || std::fabs(shear.z) > 1e-5f)
    LogWarn("Solve1B: ", start.t->m_name, " contains shear");
  start.t->SetModelViewMatrix(Product(start.s->GetLocalMatrix(), p0));
  start.t->SetMatrixVersion(stamp);
}

void SolveIKChain(TIKHandle_I* handle, uint32_t stamp, const Matrix4f& root) {
  TIKEffector_I* effector = As(handle->m_endEffector);
  if (!effector) return;
  Joint mid(effector->GetParent()), start(handle->m_startJoint.Get());
  if (!mid || !start) return;
  if (effector->GetParent() == start.t) return Solve1B(handle, stamp, root);
  if (mid.t->GetParent() != start.t) return;
  const SIKHandle_I* sh = SNodeOf<SIKHandle_I>(handle);
  SBaseTransform_I* se = SNodeOf<SBaseTransform_I>(effector);
  if (!sh || !se) return;

  const Matrix4f& p0 = ParentMatrixOf(start.t, root);
  start.Reset(ParentScalingOf(start.t), p0);
  mid.Reset(start.s->m_scaling, start.t->m_modelViewMatrix);
  effector->SetModelViewMatrix(Product(se->GetLocalMatrix(), mid.t->m_modelViewMatrix));

  const Vector3f G = TransformPivot(handle, root), E = TransformPivot(effector, root),
                 B = TranslationOf(mid.t->m_modelViewMatrix), A = TranslationOf(start.t->m_modelViewMatrix);
  Quaternionf qRoot, qMid;
  Solve2B(A, B, E, G, PoleOf(handle, root), sh->m_twist, handle->m_name, qRoot, qMid);

  const Matrix4f startPref = start.t->m_modelViewMatrix;
  mid.s->SetRotation(mid.Rotated(qMid, startPref));
  start.s->SetRotation(start.Rotated(qRoot, p0));
  start.t->SetModelViewMatrix(Product(start.s->GetLocalMatrix(), p0));
  start.t->SetMatrixVersion(stamp);
}

}  // namespace PM
