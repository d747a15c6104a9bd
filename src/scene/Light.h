// SLight and TLight: a light's colour and type (directional, point or ambient).
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SLight_I : public EngineClass<SLight_I, SLeaf_I, ClassId::SLight, "SLight"> {
 public:
  static void Define();
  Vector3f m_color{1, 1, 1};
  uint32_t m_type = 0x01FFF0AE;  // SLight.TypeEnum Directional
};

class TLight_I : public EngineClass<TLight_I, TLeaf_I, ClassId::TLight, "TLight", SLight_I> {
 public:
};

}  // namespace PM
