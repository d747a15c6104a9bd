// STransform and TTransform: the simple transform plus shear, scaling and rotation pivots and a
// rotation axis.
#pragma once

#include "scene/SimpleTransform.h"

namespace PM {

class STransform_I : public SSimpleTransform_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF04C;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<STransform_I>("STransform"); }
  static ScriptObject* Create() { return NewEngineObject<STransform_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<STransform_I>(extraBytes); }

  Vector3f m_shearing{0, 0, 0};
  Vector3f m_scalingPivot{0, 0, 0};
  Vector3f m_scalingPivotTranslation{0, 0, 0};
  Vector3f m_rotationAxis{0, 0, 0};
  Vector3f m_rotationPivot{0, 0, 0};
  Vector3f m_rotationPivotTranslation{0, 0, 0};
};

class TTransform_I : public TSimpleTransform_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF04D;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TTransform_I>("TTransform"); }
  static ScriptObject* Create() { return NewEngineNode<TTransform_I, STransform_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TTransform_I, STransform_I>(n); }
};

}  // namespace PM
