// A clip that marks a point of the schedule rather than playing curves.
#pragma once

#include "anim/AnimationClip.h"
#include "classes/EngineClass.h"

namespace PM {

class AnimationClipEvent_I : public AnimationClip_I {
 public:
  static constexpr uint32_t kClassId = ClassId::AnimationClipEvent;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationClipEvent_I>("AnimationClipEvent"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationClipEvent_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationClipEvent_I>(extraBytes); }
};

}  // namespace PM
