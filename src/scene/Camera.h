// SCamera and TCamera: the camera's lens (vertical field of view and film aperture).
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SCamera_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SCamera;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SCamera_I>("SCamera"); }
  static ScriptObject* Create() { return NewEngineObject<SCamera_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SCamera_I>(extraBytes); }

  float m_fieldOfView = 45;  // degrees, over the vertical aperture
  float m_focalLength = 28.974f;  // millimetres, derived from the field of view
  Vector2f m_aperture{1.417f, 0.945f};  // inches
  float m_focusDistance = 0;
  float m_focusRadius = 0;
};

class TCamera_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TCamera;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TCamera_I>("TCamera"); }
  static ScriptObject* Create() { return NewEngineNode<TCamera_I, SCamera_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TCamera_I, SCamera_I>(n); }
};

}  // namespace PM
