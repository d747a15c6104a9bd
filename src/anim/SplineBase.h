// Base of the animation curves: keys at times.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class SplineBase_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SplineBase;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineBase_I>("SplineBase"); }

  Array<float> m_keyTime;
};

}  // namespace PM
