// Base of the force fields acting on particle systems: the description and the placed instance.
#pragma once

#include "classes/EngineClass.h"
#include "scene/Leaf.h"

namespace PM {

class SField_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SField;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SField_I>("SField"); }

  float m_magnitude = 1.0f;
  float m_attenuation = 0.0f;
  float m_maxDistance = 1.0f;
  bool m_useMaxDistance = false;
};

class TField_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TField;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TField_I>("TField"); }
};

}  // namespace PM
