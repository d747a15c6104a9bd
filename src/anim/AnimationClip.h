// One play of an animation library: when, how often, how fast and on which track.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class AnimationLibrary_I;

class AnimationClip_I : public EngineClass<AnimationClip_I, Object_I, ClassId::AnimationClip, "AnimationClip"> {
 public:
  static void Define();
  Obj<AnimationLibrary_I> m_animationLibrary;
  bool m_enabled = true;
  bool m_relative = false;
  double m_cycles = 1.0;
  double m_scale = 1.0;
  double m_startTime = 0.0;
  double m_endTime = 1.0;
  double m_duration = 1.0;
  double m_warpTime = -1.0;
  float m_amplitudeScale = 1.0f;
  int32_t m_track = 0;
  float m_blendRange = 0.0f;
  bool m_presetOnly = false;
  float m_blendTrackRange = 0.0f;
};

}  // namespace PM
