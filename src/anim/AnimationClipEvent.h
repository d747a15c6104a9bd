// A clip that marks a point of the schedule rather than playing curves.
#pragma once

#include "anim/AnimationClip.h"
#include "scene/EngineClass.h"

namespace PM {

class AnimationClipEvent_I : public AnimationClip_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF091;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationClipEvent_I>("AnimationClipEvent"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationClipEvent_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationClipEvent_I>(extraBytes); }

  // A new event clip with the same library and timing; preset, fade-in, track and amplitude keep
  // their defaults.
  Obj<AnimationClip_I> Clone() override;
};

}  // namespace PM
