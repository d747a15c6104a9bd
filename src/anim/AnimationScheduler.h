// Plays animation clips on tracks into a connection group.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class AnimationClip_I;
class ConnectionGroup_I;

class AnimationScheduler_I
    : public EngineClass<AnimationScheduler_I, Object_I, ClassId::AnimationScheduler, "AnimationScheduler"> {
 public:
  static void Define();
  static constexpr int32_t kTrackCount = 32;

  AnimationScheduler_I() {
    m_trackEndTime.SetCountFill(kTrackCount, -1.0);
  }

  Obj<ConnectionGroup_I> m_connectionGroup;
  Array<Obj<AnimationClip_I>> m_animationClip;
  bool m_removeExpiredClip = false;
  Array<double> m_trackEndTime;
  double m_highestEndTime = -1.0;
  Array<Obj<AnimationClip_I>> m_blendClip;
};

enum : uint32_t {
  kMemberSchedulerConnectionGroup = 0x01FFF093,
  kMemberSchedulerAnimationClip = 0x02FFF093,
};

}  // namespace PM
