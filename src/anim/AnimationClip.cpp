#include "anim/AnimationClip.h"

#include <cmath>
#include <iterator>

#include "anim/AnimationLibrary.h"
#include "classes/EngineClassRegistry.h"
#include "script/object/MemberAccess.h"

namespace PM {

void CopyClipMembers(AnimationClip_I* src, AnimationClip_I* dst, const uint32_t* members, size_t count) {
  for (size_t i = 0; i < count; ++i) MemberCopyTo(src, dst, members[i]);
}

Obj<AnimationClip_I> AnimationClip_I::Clone() {
  static constexpr uint32_t kCopied[] = {
      kMemberClipAnimationLibrary, kMemberClipEnabled,   kMemberClipRelative, kMemberClipPresetOnly,
      kMemberClipBlendRange,       kMemberClipStartTime, kMemberClipCycles,   kMemberClipScale,
      kMemberClipWarpTime,         kMemberObjectName,
  };
  Obj<AnimationClip_I> copy(static_cast<AnimationClip_I*>(Create()));
  CopyClipMembers(this, copy, kCopied, std::size(kCopied));
  return copy;
}

double AnimationClip_I::GetDuration() const {
  if (m_animationLibrary.IsNil()) return 1.0;
  return m_animationLibrary->m_endTime - m_animationLibrary->m_startTime;
}

double AnimationClip_I::GetEndTime() const { return GetDuration() * std::fabs(m_scale) * m_cycles + m_startTime; }

namespace {

using C = AnimationClip_I;

}  // namespace

void AnimationClip_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationClip_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&AnimationClip_I::m_animationLibrary>(0x01FFF090, "AnimationLibrary"),
      FieldMember<&AnimationClip_I::m_enabled>(0x02FFF090, "Enabled"),
      FieldMember<&AnimationClip_I::m_relative>(0x03FFF090, "Relative"),
      FieldMember<&AnimationClip_I::m_cycles>(0x04FFF090, "Cycles"),
      FieldMember<&AnimationClip_I::m_scale>(0x05FFF090, "Scale"),
      FieldMember<&AnimationClip_I::m_startTime>(0x06FFF090, "StartTime"),
      AccessorMember<&C::GetEndTime, nullptr>(kMemberClipEndTime, "EndTime", 0x5),
      AccessorMember<&C::GetDuration, nullptr>(kMemberClipDuration, "Duration", 0x5),
      FieldMember<&AnimationClip_I::m_warpTime>(0x09FFF090, "WarpTime"),
      FieldMember<&AnimationClip_I::m_amplitudeScale>(0x0AFFF090, "AmplitudeScale"),
      FieldMember<&AnimationClip_I::m_track>(0x0BFFF090, "Track"),
      FieldMember<&AnimationClip_I::m_blendRange>(0x0CFFF090, "BlendRange"),
      FieldMember<&AnimationClip_I::m_presetOnly>(0x0DFFF090, "PresetOnly"),
      FieldMember<&AnimationClip_I::m_blendTrackRange>(0x0EFFF090, "BlendTrackRange"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<AnimationClip_I>();

}  // namespace PM
