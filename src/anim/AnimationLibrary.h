// The curves of an animation and the connection each of them drives.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class SplineBase_I;

class AnimationLibrary_I
    : public EngineClass<AnimationLibrary_I, Object_I, ClassId::AnimationLibrary, "AnimationLibrary"> {
 public:
  static void Define();
  double m_startTime = 0.0;
  double m_endTime = 0.0;
  Array<Obj<SplineBase_I>> m_curve;
  Array<int32_t> m_groupPort;
};

}  // namespace PM
