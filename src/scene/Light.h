// SLight and TLight: a light's colour and type (directional, point or ambient).
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SLight_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SLight;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLight_I>("SLight"); }
  static ScriptObject* Create() { return NewEngineObject<SLight_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SLight_I>(extraBytes); }

  Vector3f m_color{1, 1, 1};
  uint32_t m_type = 0x01FFF0AE;  // SLight.TypeEnum Directional
};

class TLight_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TLight;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLight_I>("TLight"); }
  static ScriptObject* Create() { return NewEngineNode<TLight_I, SLight_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLight_I, SLight_I>(n); }
};

}  // namespace PM
