// A clip that marks a point of the schedule rather than playing curves.
#pragma once

#include "anim/AnimationClip.h"
#include "classes/EngineClass.h"

namespace PM {

class AnimationClipEvent_I
    : public EngineClass<AnimationClipEvent_I, AnimationClip_I, ClassId::AnimationClipEvent, "AnimationClipEvent"> {
 public:
  static void Define();
  // A new event clip with the same library and timing; preset, fade-in, track and amplitude keep
  // their defaults.
  Obj<AnimationClip_I> Clone() override;
};

}  // namespace PM
