// SLight and TLight: a light's colour and type (directional, point or ambient).
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SLight_I : public EngineClass<SLight_I, SLeaf_I, ClassId::SLight, "SLight"> {
 public:
  static void Define();
  // Values of SLight.TypeEnum.
  enum : uint32_t { kTypeDirectional = 0x01FFF0AE, kTypePoint = 0x02FFF0AE, kTypeAmbient = 0x03FFF0AE };

  Vector3f m_color{1, 1, 1};
  uint32_t m_type = kTypeDirectional;
};

class TLight_I : public EngineClass<TLight_I, TLeaf_I, ClassId::TLight, "TLight", SLight_I> {
 public:
};

}  // namespace PM
