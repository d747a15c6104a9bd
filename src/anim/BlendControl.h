// One blend weight shared by the inputs of pose blends.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class BlendControl_I : public EngineClass<BlendControl_I, Object_I, ClassId::BlendControl, "BlendControl"> {
 public:
  static void Define();
  float m_weight = 0.0f;
  int32_t m_staticBlend = 0;
};

}  // namespace PM
