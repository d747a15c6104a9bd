#include "scene/Joint.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

namespace {

void SetFlag(uint32_t& flags, uint32_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }

// The factor that undoes one component of the parent's scaling. A parent scaled to 0 on an axis (hidden
// by scaling) has nothing to undo there: 1/0 would fill the subtree's matrices with inf and NaN.
float Compensation(float parentScale) { return parentScale == 0.0f ? 1.0f : 1.0f / parentScale; }

}  // namespace

void SJoint_I::SetRotationAxis(const Vector3f& degrees) {
  m_rotationAxis = degrees;
  SetFlag(m_changeFlags, kChangeRotationAxis, degrees != kZeroVector3f);
  m_localState = kLocalStale;
}

void SJoint_I::SetJointOrientation(const Vector3f& degrees) {
  m_jointOrientation = degrees;
  SetFlag(m_changeFlags, kChangeJointOrientation, degrees != kZeroVector3f);
  m_localState = kLocalStale;
}

void SJoint_I::SetParentScaling(const Vector3f& v) {
  if (v == m_parentScaling) return;
  m_parentScaling = v;
  SetFlag(m_changeFlags, kChangeParentScaling, v != Vector3f{1, 1, 1});
  m_localState = kLocalStale;
}

void SJoint_I::SetParentScalingEnable(bool on) {
  if (on == m_parentScalingEnable) return;
  m_parentScalingEnable = on;
  m_localState = kLocalStale;
}

void SJoint_I::BuildJointLocalMatrix() {
  Matrix4f& l = m_localMatrix;
  Matrix4f r, j;
  Matrix4fC::MakeRotation(r, m_rotation * kDegToRad, OrderIndex());
  Matrix4fC::MakeRotation(j, m_jointOrientation * kDegToRad, 0);  // always XYZ
  l.SetProductAffine(r, j);
  if (m_changeFlags & kChangeRotationAxis) {
    Matrix4f a;
    Matrix4fC::MakeRotation(a, m_rotationAxis * kDegToRad, 0);
    l.SetProductAffine(a, l);
  }
  if (m_changeFlags & (kChangeScaling | kChangeParentScaling)) {
    // S·X scales the rows of X, X·P its columns.
    const float s[3] = {m_scaling.x, m_scaling.y, m_scaling.z};
    float p[3] = {1, 1, 1};
    if (m_parentScalingEnable)
      p[0] = Compensation(m_parentScaling.x), p[1] = Compensation(m_parentScaling.y),
      p[2] = Compensation(m_parentScaling.z);
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) l.m[4 * i + k] *= s[i] * p[k];
  }
  l.SetRow(3, m_translation);
  m_localState = kLocalBuilt;
}

void SJoint_I::UpdateJoint(SBaseTransform_I& s) { static_cast<SJoint_I&>(s).BuildJointLocalMatrix(); }

void SJoint_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SJoint_I>(),
      ConcreteClass<TJoint_I>(),
  };
  DefineClasses(classes);
  using S = SJoint_I;
  const MemberDef members[] = {
      AccessorMember<&S::GetRotationAxis, &S::SetRotationAxis>(0x01FFF04E, "RotationAxis"),
      AccessorMember<&S::GetJointOrientation, &S::SetJointOrientation>(0x02FFF04E, "JointOrientation"),
      FieldMember<&S::m_preferredAngle>(0x03FFF04E, "PreferredAngle"),
      AccessorMember<&S::GetParentScaling, &S::SetParentScaling>(0x04FFF04E, "ParentScaling"),
      AccessorMember<&S::GetParentScalingEnable, &S::SetParentScalingEnable>(0x05FFF04E, "ParentScalingEnable"),
      ReadOnly(FieldMember<&TJoint_I::m_ikDependency>(0x01FFF04F, "IKDependency", 0x3)),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SJoint_I>();

}  // namespace PM
