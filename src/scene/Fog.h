// SFog and TFog: distance fog settings.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SFog_I : public EngineClass<SFog_I, SLeaf_I, ClassId::SFog, "SFog"> {
 public:
  static void Define();
  // Values of SFog.TypeEnum.
  enum : uint32_t { kTypeLinear = 0x01FFF0BE, kTypeExponential = 0x02FFF0BE, kTypeExponential2 = 0x03FFF0BE };
  Vector3f m_color{1, 1, 1};
  uint32_t m_type = kTypeExponential;
  uint32_t m_distanceType = 0x01FFF0BF;  // SFog.DistanceTypeEnum ScreenSpace
  float m_density = 0;
  Vector2f m_nearFar{0, 0};
};

class TFog_I : public EngineClass<TFog_I, TLeaf_I, ClassId::TFog, "TFog", SFog_I> {
 public:
};

}  // namespace PM
