// SFog and TFog: distance fog settings.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SFog_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SFog;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SFog_I>("SFog"); }
  static ScriptObject* Create() { return NewEngineObject<SFog_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SFog_I>(extraBytes); }

  Vector3f m_color{1, 1, 1};
  uint32_t m_type = 0x02FFF0BE;          // SFog.TypeEnum Exponential
  uint32_t m_distanceType = 0x01FFF0BF;  // SFog.DistanceTypeEnum ScreenSpace
  float m_density = 0;
  Vector2f m_nearFar{0, 0};
};

class TFog_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TFog;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TFog_I>("TFog"); }
  static ScriptObject* Create() { return NewEngineNode<TFog_I, SFog_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TFog_I, SFog_I>(n); }
};

}  // namespace PM
