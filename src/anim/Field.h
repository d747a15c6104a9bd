// Base of the force fields acting on particle systems: the description and the placed instance.
#pragma once

#include "classes/EngineClass.h"
#include "scene/Leaf.h"

namespace PM {

class SField_I : public EngineClass<SField_I, SLeaf_I, ClassId::SField, "SField"> {
 public:
  static void Define();
  float m_magnitude = 1.0f;
  float m_attenuation = 0.0f;
  float m_maxDistance = 1.0f;
  bool m_useMaxDistance = false;
};

class TField_I : public EngineClass<TField_I, TLeaf_I, ClassId::TField, "TField"> {
 public:
};

}  // namespace PM
