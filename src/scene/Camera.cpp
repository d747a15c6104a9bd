#include "scene/Camera.h"

#include <cmath>
#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

constexpr float kHalfDegree = 0.008726646f;  // pi / 360: the tangent is that of half the angle
constexpr float kTwiceRadian = 114.59156f;   // 360 / pi: twice the arctangent, in degrees
constexpr float kHalfInch = 12.7f;           // millimetres

// NaN passes unchanged.
float ClampFieldOfView(float v) {
  if (v < SCamera_I::kMinFieldOfView) return SCamera_I::kMinFieldOfView;
  if (v > SCamera_I::kMaxFieldOfView) return SCamera_I::kMaxFieldOfView;
  return v;
}

// The angle the vertical aperture covers at the focal length. A focal length or aperture of 0 or
// below would give 180, 0 or a negative angle, so the result is kept in the setter's range.
float DerivedFieldOfView(float apertureY, float focalLength) {
  return ClampFieldOfView(std::atan2(apertureY / focalLength * kHalfInch, 1.0f) * kTwiceRadian);
}

void CopyLens(ScriptObject* src, ScriptObject* dst, uint32_t) {
  if (!dst->IsA(SCamera_I::kClassId)) return ScriptObject::ExpectFailed(dst, SCamera_I::kClassId);
  static_cast<SCamera_I*>(dst)->CopyLensFrom(*static_cast<SCamera_I*>(src));
}

// The lens members copy all three values plainly: copying them through their setters one after the
// other would re-derive the angle from a half-copied lens.
MemberDef LensMember(MemberDef d) {
  d.valid.copyTo = EraseFn(&CopyLens);
  return d;
}

}  // namespace

SCamera_I::SCamera_I() { SetFieldOfView(45); }

void SCamera_I::SetFieldOfView(float degrees) {
  m_fieldOfView = ClampFieldOfView(degrees);
  m_focalLength = m_aperture.y / std::tan(m_fieldOfView * kHalfDegree) * kHalfInch;
}

void SCamera_I::SetFocalLength(float millimetres) {
  m_focalLength = millimetres;
  m_fieldOfView = DerivedFieldOfView(m_aperture.y, m_focalLength);
}

void SCamera_I::SetAperture(const Vector2f& inches) {
  m_aperture = inches;
  m_fieldOfView = DerivedFieldOfView(m_aperture.y, m_focalLength);
}

void SCamera_I::CopyLensFrom(const SCamera_I& src) {
  m_fieldOfView = src.m_fieldOfView;
  m_focalLength = src.m_focalLength;
  m_aperture = src.m_aperture;
}

void SCamera_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SCamera_I>(),
      ConcreteClass<TCamera_I>(),
  };
  DefineClasses(classes);
  using C = SCamera_I;
  const MemberDef members[] = {
      LensMember(AccessorMember<&C::GetFieldOfView, &C::SetFieldOfView>(kMemberCameraFieldOfView, "FieldOfView")),
      LensMember(AccessorMember<&C::GetFocalLength, &C::SetFocalLength>(kMemberCameraFocalLength, "FocalLength", 0x5)),
      LensMember(AccessorMember<&C::GetAperture, &C::SetAperture>(kMemberCameraAperture, "Aperture")),
      FieldMember<&C::m_focusDistance>(kMemberCameraFocusDistance, "FocusDistance", 0x5),
      FieldMember<&C::m_focusRadius>(kMemberCameraFocusRadius, "FocusRadius", 0x5),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SCamera_I>();

}  // namespace PM
