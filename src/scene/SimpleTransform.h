// SSimpleTransform and TSimpleTransform: translation, rotation (degrees, in a rotation order) and
// scaling, each clamped by optional per-component limits.
#pragma once

#include "scene/BaseTransform.h"

namespace PM {

class SSimpleTransform_I : public SBaseTransform_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF04A;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSimpleTransform_I>("SSimpleTransform"); }
  static ScriptObject* Create() { return NewEngineObject<SSimpleTransform_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSimpleTransform_I>(extraBytes); }

  // The 6-bit limit-enable group at bit Shift (0 translation, 8 rotation, 16 scaling).
  template <int Shift>
  uint32_t GetLimitMask() const { return (m_limitEnable >> Shift) & 0x3F; }
  template <int Shift>
  void SetLimitMask(uint32_t v) { m_limitEnable = (m_limitEnable & ~(0x3Fu << Shift)) | (v & 0x3F) << Shift; }

  Vector3f m_scaling{1, 1, 1};
  Vector3f m_rotation{0, 0, 0};
  uint32_t m_rotationOrder = 0x01FFF038;  // Euler.RotationOrderEnum XYZ
  Vector3f m_translation{0, 0, 0};
  uint32_t m_limitEnable = 0;
  Vector3f m_scalingMin{-1, -1, -1}, m_scalingMax{1, 1, 1};
  Vector3f m_rotationMin{-45, -45, -45}, m_rotationMax{45, 45, 45};
  Vector3f m_translationMin{-1, -1, -1}, m_translationMax{1, 1, 1};
};

class TSimpleTransform_I : public TBaseTransform_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF04B;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSimpleTransform_I>("TSimpleTransform"); }
  static ScriptObject* Create() { return NewEngineNode<TSimpleTransform_I, SSimpleTransform_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSimpleTransform_I, SSimpleTransform_I>(n); }
};

}  // namespace PM
