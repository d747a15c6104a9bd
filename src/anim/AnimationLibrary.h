// The curves of an animation and the connection each of them drives.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class SplineBase_I;

class AnimationLibrary_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::AnimationLibrary;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationLibrary_I>("AnimationLibrary"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationLibrary_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationLibrary_I>(extraBytes); }

  double m_startTime = 0.0;
  double m_endTime = 0.0;
  Array<Obj<SplineBase_I>> m_curve;
  Array<int32_t> m_groupPort;
};

}  // namespace PM
