#include "scene/Transform.h"

#include "classes/EngineClassRegistry.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

// The simple case (translation, rotation, scaling bits) that builds the same matrix as the change
// flags m, or -1 when only the full composition does. Pivots alone change nothing.
int SimpleCase(uint32_t m) {
  switch (m) {
    case 0:
    case 16:
    case 32:
    case 48:
      return 0;
    case 1:
    case 17:
    case 33:
    case 49:
      return 1;
    case 2:
    case 34:
      return 2;
    case 3:
    case 35:
      return 3;
    case 4:
    case 20:
      return 4;
    case 5:
    case 6:
    case 7:
      return int(m);
    default:
      return -1;
  }
}

Matrix4f InverseOrIdentity(const Matrix4f& m) {
  Matrix4f inv = kIdentityMatrix4f;
  inv.SetInverseAffine(m);
  return inv;
}

}  // namespace

void STransform_I::UpdateFull(SBaseTransform_I& s) {
  auto& t = static_cast<STransform_I&>(s);
  int simple = SimpleCase(t.m_changeFlags);
  if (simple >= 0) return t.BuildSimpleLocalMatrix(uint32_t(simple));

  // Translate(-ScalingPivot) * Scale * [Shear] * Translate(mid) * RA * R * Translate(last), where the
  // scale-and-shear matrix carries the middle translation and R the last one.
  Matrix4f l;
  l.SetTranslation(Vector3f{-t.m_scalingPivot.x, -t.m_scalingPivot.y, -t.m_scalingPivot.z});
  Matrix4f scaleShear;
  scaleShear.SetScale(t.m_scaling);
  if (t.m_changeFlags & kChangeShearing) {
    Matrix4f shear;
    shear.SetShear(t.m_shearing);
    scaleShear.SetProductAffine(scaleShear, shear);
  }
  scaleShear.SetRow(3, t.m_scalingPivot + t.m_scalingPivotTranslation - t.m_rotationPivot);
  Matrix4f axis;
  Matrix4fC::MakeRotation(axis, t.m_rotationAxis * kDegToRad, 0);
  Matrix4f r;
  Matrix4fC::MakeRotation(r, t.m_rotation * kDegToRad, t.OrderIndex());
  r.SetRow(3, t.m_rotationPivot + t.m_rotationPivotTranslation + t.m_translation);
  l.SetProductAffine(l, scaleShear);
  l.SetProductAffine(l, axis);
  l.SetProductAffine(l, r);
  t.m_localMatrix = l;
  t.m_localState = kLocalBuilt;
}

void STransform_I::LocalFromWorld(const Matrix4f& parentWorld, const Matrix4f& world, Vector3f& translation,
                                  Vector3f& degrees) {
  Matrix4f local;
  local.SetProductAffine(world, InverseOrIdentity(parentWorld));
  Vector3f scale, shear, radians{0, 0, 0};
  Matrix4fC::Decompose(local, OrderIndex(), translation, scale, shear, radians);
  degrees = {radians.x * kRadToDeg, radians.y * kRadToDeg, radians.z * kRadToDeg};
}

void STransform_I::SetRotationFromMatrix(const Matrix4f& parentWorld, const Matrix4f& world) {
  Vector3f translation, degrees;
  LocalFromWorld(parentWorld, world, translation, degrees);
  if (degrees != m_rotation) MemberSet<VVector3f>(this, kMemberSSimpleTransformRotation, degrees);
}

void STransform_I::SetTranslationFromMatrix(const Matrix4f& parentWorld, const Vector3f& position) {
  Vector3f p;
  Matrix4fC::TransformPoint(p, position, InverseOrIdentity(parentWorld));
  p = p - m_rotationPivot - m_rotationPivotTranslation;
  if (p != m_translation) MemberSet<VVector3f>(this, kMemberSSimpleTransformTranslation, p);
}

void STransform_I::SetTransformFromMatrix(const Matrix4f& parentWorld, const Matrix4f& world) {
  Vector3f translation, degrees;
  LocalFromWorld(parentWorld, world, translation, degrees);
  translation = translation - m_rotationPivot - m_rotationPivotTranslation;
  if (degrees != m_rotation) MemberSet<VVector3f>(this, kMemberSSimpleTransformRotation, degrees);
  if (translation != m_translation) MemberSet<VVector3f>(this, kMemberSSimpleTransformTranslation, translation);
}

template <Vector3f STransform_I::*Field, uint32_t Flag>
MemberDef PartMember(uint32_t id, const char* name) {
  return AccessorMember<&STransform_I::GetPart<Field, Flag>, &STransform_I::SetPart<Field, Flag>>(id, name);
}

void STransform_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<STransform_I>(),
      ConcreteClass<TTransform_I>(),
  };
  DefineClasses(classes);
  using S = STransform_I;
  const MemberDef members[] = {
      PartMember<&S::m_shearing, kChangeShearing>(kMemberSTransformShearing, "Shearing"),
      PartMember<&S::m_scalingPivot, kChangeScalingPivot>(kMemberSTransformScalingPivot, "ScalingPivot"),
      PartMember<&S::m_scalingPivotTranslation, kChangeScalingPivotTranslation>(
          kMemberSTransformScalingPivotTranslation, "ScalingPivotTranslation"),
      PartMember<&S::m_rotationAxis, kChangeRotationAxis>(kMemberSTransformRotationAxis, "RotationAxis"),
      PartMember<&S::m_rotationPivot, kChangeRotationPivot>(kMemberSTransformRotationPivot, "RotationPivot"),
      PartMember<&S::m_rotationPivotTranslation, kChangeRotationPivotTranslation>(
          kMemberSTransformRotationPivotTranslation, "RotationPivotTranslation"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<STransform_I>();

}  // namespace PM
