// Base of the animation curves: keys at times.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class SplineBase_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF095;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineBase_I>("SplineBase"); }

  Array<float> m_keyTime;
};

}  // namespace PM
