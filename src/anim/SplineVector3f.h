// A curve of three-component keys with in and out tangents.
#pragma once

#include "anim/SplineBase.h"
#include "classes/EngineClass.h"

namespace PM {

class SplineVector3f_I : public EngineClass<SplineVector3f_I, SplineBase_I, ClassId::SplineVector3f, "SplineVector3f"> {
 public:
  static void Define();
  Array<Vector3f> m_keyValue;
  Array<Vector3f> m_keyTangentIn;
  Array<Vector3f> m_keyTangentOut;
};

}  // namespace PM
