// A curve of two-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector2f_I : public EngineClass<SplineVector2f_I, SplineBase_I, ClassId::SplineVector2f, "SplineVector2f"> {
 public:
  static void Define();
  Array<Vector2f> m_keyValue;
  Array<Vector2f> m_keyTangentIn;
  Array<Vector2f> m_keyTangentOut;
};

}  // namespace PM
