// Base of the animation curves: keys at times.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class SplineBase_I : public EngineClass<SplineBase_I, Object_I, ClassId::SplineBase, "SplineBase"> {
 public:
  static void Define();
  Array<float> m_keyTime;
};

}  // namespace PM
