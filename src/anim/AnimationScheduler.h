// Plays animation clips on tracks into a connection group.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class AnimationClip_I;
class ConnectionGroup_I;

class AnimationScheduler_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF093;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<AnimationScheduler_I>("AnimationScheduler"); }
  static ScriptObject* Create() { return NewEngineObject<AnimationScheduler_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<AnimationScheduler_I>(extraBytes); }

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
