// A curve of scalar keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineScalarf_I : public EngineClass<SplineScalarf_I, SplineBase_I, ClassId::SplineScalarf, "SplineScalarf"> {
 public:
  static void Define();
  Array<float> m_keyValue;
  Array<float> m_keyTangentIn;
  Array<float> m_keyTangentOut;
};

}  // namespace PM
