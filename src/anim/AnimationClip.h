// One play of an animation library: when, how often, how fast and on which track.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class AnimationLibrary_I;

class AnimationClip_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF090;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationClip_I>("AnimationClip"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationClip_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationClip_I>(extraBytes); }

  // Slot 1: a new clip playing the same library (shared) with this clip's placement settings, each
  // copied through its member's Set; track, amplitude and track fade keep their defaults.
  virtual Obj<AnimationClip_I> Clone();

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

enum : uint32_t {
  kMemberClipAnimationLibrary = 0x01FFF090,
  kMemberClipEnabled = 0x02FFF090,
  kMemberClipRelative = 0x03FFF090,
  kMemberClipCycles = 0x04FFF090,
  kMemberClipScale = 0x05FFF090,
  kMemberClipStartTime = 0x06FFF090,
  kMemberClipWarpTime = 0x09FFF090,
  kMemberClipBlendRange = 0x0CFFF090,
  kMemberClipPresetOnly = 0x0DFFF090,
};

// Copies the listed members of `src` into `dst`, each read and then written through its Set.
void CopyClipMembers(AnimationClip_I* src, AnimationClip_I* dst, const uint32_t* members, size_t count);

}  // namespace PM
