// SSimpleTransform and TSimpleTransform: translation, rotation (degrees, in a rotation order) and
// scaling, each clamped by optional per-component limits.
#pragma once

#include "scene/BaseTransform.h"

namespace PM {

class SSimpleTransform_I
    : public EngineClass<SSimpleTransform_I, SBaseTransform_I, ClassId::SSimpleTransform, "SSimpleTransform"> {
 public:
  static void Define();
  SSimpleTransform_I() { m_updateLocalMatrix = &UpdateSimple; }

  // The 6-bit limit-enable group at bit Shift (0 translation, 8 rotation, 16 scaling).
  template <int Shift>
  uint32_t GetLimitMask() const {
    return (m_limitEnable >> Shift) & 0x3F;
  }
  template <int Shift>
  void SetLimitMask(uint32_t v) {
    m_limitEnable = (m_limitEnable & ~(0x3Fu << Shift)) | (v & 0x3F) << Shift;
  }

  // Setters of the limited values: the group's limits are applied, the change flag follows the stored
  // value and the local matrix goes stale.
  Vector3f GetTranslation() const { return m_translation; }
  void SetTranslation(const Vector3f& v);
  Vector3f GetRotation() const { return m_rotation; }
  void SetRotation(const Vector3f& degrees);
  Vector3f GetScaling() const { return m_scaling; }
  void SetScaling(const Vector3f& v);
  uint32_t GetRotationOrder() const { return m_rotationOrder; }
  void SetRotationOrder(uint32_t order);
  // The Euler order index (0..5) of RotationOrder.
  int OrderIndex() const { return int(m_rotationOrder >> 24) - 1; }

  // Builds the local matrix of the translation, rotation and scaling bits in `flags` (0..7) without a
  // matrix product where the case allows.
  void BuildSimpleLocalMatrix(uint32_t flags);

  Vector3f m_scaling{1, 1, 1};
  Vector3f m_rotation{0, 0, 0};
  uint32_t m_rotationOrder = 0x01FFF038;  // Euler.RotationOrderEnum XYZ
  Vector3f m_translation{0, 0, 0};
  uint32_t m_limitEnable = 0;
  Vector3f m_scalingMin{-1, -1, -1}, m_scalingMax{1, 1, 1};
  Vector3f m_rotationMin{-45, -45, -45}, m_rotationMax{45, 45, 45};
  Vector3f m_translationMin{-1, -1, -1}, m_translationMax{1, 1, 1};

 private:
  static void UpdateSimple(SBaseTransform_I& s);
};

class TSimpleTransform_I : public EngineClass<TSimpleTransform_I, TBaseTransform_I, ClassId::TSimpleTransform,
                                              "TSimpleTransform", SSimpleTransform_I> {
 public:
};

// Degrees to radians and back, in the single-precision factors the transforms use.
inline constexpr float kDegToRad = 0.017453292f;
inline constexpr float kRadToDeg = 57.29578f;

enum : uint32_t {
  kMemberSSimpleTransformTranslation = 0x01FFF04A,
  kMemberSSimpleTransformRotation = 0x02FFF04A,
  kMemberSSimpleTransformRotationOrder = 0x03FFF04A,
  kMemberSSimpleTransformScaling = 0x04FFF04A,
  kMemberSSimpleTransformTranslationLimitEnableMask = 0x05FFF04A,
  kMemberSSimpleTransformRotationLimitEnableMask = 0x06FFF04A,
  kMemberSSimpleTransformScalingLimitEnableMask = 0x07FFF04A,
  kMemberSSimpleTransformTranslationMin = 0x08FFF04A,
  kMemberSSimpleTransformTranslationMax = 0x09FFF04A,
  kMemberSSimpleTransformRotationMin = 0x0AFFF04A,
  kMemberSSimpleTransformRotationMax = 0x0BFFF04A,
  kMemberSSimpleTransformScalingMin = 0x0CFFF04A,
  kMemberSSimpleTransformScalingMax = 0x0DFFF04A,
};

}  // namespace PM
