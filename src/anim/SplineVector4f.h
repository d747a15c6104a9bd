// A curve of four-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector4f_I : public EngineClass<SplineVector4f_I, SplineBase_I, ClassId::SplineVector4f, "SplineVector4f"> {
 public:
  static void Define();
  Array<Vector4f> m_keyValue;
  Array<Vector4f> m_keyTangentIn;
  Array<Vector4f> m_keyTangentOut;
};

}  // namespace PM
