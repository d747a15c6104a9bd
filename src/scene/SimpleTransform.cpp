#include "scene/SimpleTransform.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

// Clamps each component by the enabled bits of its group (x min, x max, y min, ... z max): the minimum
// first, then the maximum, so a minimum above the maximum yields the maximum. NaN stays as it is.
Vector3f ApplyLimits(const Vector3f& v, uint32_t mask, const Vector3f& lo, const Vector3f& hi) {
  if (mask == 0) return v;
  float c[3] = {v.x, v.y, v.z};
  const float mn[3] = {lo.x, lo.y, lo.z}, mx[3] = {hi.x, hi.y, hi.z};
  for (int k = 0; k < 3; ++k) {
    if ((mask >> (2 * k)) & 1 && c[k] < mn[k]) c[k] = mn[k];
    if ((mask >> (2 * k + 1)) & 1 && c[k] > mx[k]) c[k] = mx[k];
  }
  return {c[0], c[1], c[2]};
}

void SetFlag(uint32_t& flags, uint32_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }

}  // namespace

void SSimpleTransform_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSimpleTransform_I>(),
      ConcreteClass<TSimpleTransform_I>(),
  };
  DefineClasses(classes);
  using S = SSimpleTransform_I;
  const MemberDef members[] = {
      AccessorMember<&S::GetTranslation, &S::SetTranslation>(kMemberSSimpleTransformTranslation, "Translation"),
      AccessorMember<&S::GetRotation, &S::SetRotation>(kMemberSSimpleTransformRotation, "Rotation"),
      AccessorMember<&S::GetRotationOrder, &S::SetRotationOrder, VEnum>(kMemberSSimpleTransformRotationOrder,
                                                                        "RotationOrder"),
      AccessorMember<&S::GetScaling, &S::SetScaling>(kMemberSSimpleTransformScaling, "Scaling"),
      AccessorMember<&S::GetLimitMask<0>, &S::SetLimitMask<0>>(kMemberSSimpleTransformTranslationLimitEnableMask,
                                                               "TranslationLimitEnableMask"),
      AccessorMember<&S::GetLimitMask<8>, &S::SetLimitMask<8>>(kMemberSSimpleTransformRotationLimitEnableMask,
                                                               "RotationLimitEnableMask"),
      AccessorMember<&S::GetLimitMask<16>, &S::SetLimitMask<16>>(kMemberSSimpleTransformScalingLimitEnableMask,
                                                                 "ScalingLimitEnableMask"),
      FieldMember<&S::m_translationMin>(kMemberSSimpleTransformTranslationMin, "TranslationMin"),
      FieldMember<&S::m_translationMax>(kMemberSSimpleTransformTranslationMax, "TranslationMax"),
      FieldMember<&S::m_rotationMin>(kMemberSSimpleTransformRotationMin, "RotationMin"),
      FieldMember<&S::m_rotationMax>(kMemberSSimpleTransformRotationMax, "RotationMax"),
      FieldMember<&S::m_scalingMin>(kMemberSSimpleTransformScalingMin, "ScalingMin"),
      FieldMember<&S::m_scalingMax>(kMemberSSimpleTransformScalingMax, "ScalingMax"),
  };
  DefineMembers(members);
}

void SSimpleTransform_I::SetTranslation(const Vector3f& v) {
  m_translation = ApplyLimits(v, GetLimitMask<0>(), m_translationMin, m_translationMax);
  SetFlag(m_changeFlags, kChangeTranslation, m_translation != kZeroVector3f);
  m_localState = kLocalStale;
}

void SSimpleTransform_I::SetRotation(const Vector3f& degrees) {
  m_rotation = ApplyLimits(degrees, GetLimitMask<8>(), m_rotationMin, m_rotationMax);
  SetFlag(m_changeFlags, kChangeRotation, m_rotation != kZeroVector3f);
  m_localState = kLocalStale;
}

void SSimpleTransform_I::SetScaling(const Vector3f& v) {
  m_scaling = ApplyLimits(v, GetLimitMask<16>(), m_scalingMin, m_scalingMax);
  SetFlag(m_changeFlags, kChangeScaling, m_scaling != Vector3f{1, 1, 1});
  m_localState = kLocalStale;
}

void SSimpleTransform_I::SetRotationOrder(uint32_t order) {
  m_rotationOrder = order;
  m_localState = kLocalStale;
}

void SSimpleTransform_I::BuildSimpleLocalMatrix(uint32_t flags) {
  Matrix4f& l = m_localMatrix;
  const Vector3f radians{m_rotation.x * kDegToRad, m_rotation.y * kDegToRad, m_rotation.z * kDegToRad};
  switch (flags) {
    case 0:
      l = kIdentityMatrix4f;
      m_localState = kLocalIdentity;
      return;
    case kChangeTranslation:
      l.SetTranslation(m_translation);
      break;
    case kChangeRotation:
      Matrix4fC::MakeRotation(l, radians, OrderIndex());
      break;
    case kChangeRotation | kChangeTranslation:
      Matrix4fC::MakeRotation(l, radians, OrderIndex());
      l.SetRow(3, m_translation);
      break;
    case kChangeScaling:
      l.SetScale(m_scaling);
      break;
    default: {  // Scale * R * Translate: the scale rows of R, then the translation row
      Matrix4fC::MakeRotation(l, radians, OrderIndex());
      const float s[3] = {m_scaling.x, m_scaling.y, m_scaling.z};
      for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) l.m[4 * i + j] *= s[i];
      l.SetRow(3, m_translation);
      break;
    }
  }
  m_localState = kLocalBuilt;
}

void SSimpleTransform_I::UpdateSimple(SBaseTransform_I& s) {
  auto& t = static_cast<SSimpleTransform_I&>(s);
  t.BuildSimpleLocalMatrix(t.m_changeFlags & (kChangeTranslation | kChangeRotation | kChangeScaling));
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSimpleTransform_I>();

}  // namespace PM
