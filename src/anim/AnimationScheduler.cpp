#include "anim/AnimationScheduler.h"

#include "anim/AnimationClip.h"
#include "anim/ConnectionGroup.h"

namespace PM {

void AnimationScheduler_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationScheduler_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&AnimationScheduler_I::m_connectionGroup>(0x01FFF093, "ConnectionGroup"),
      FieldMember<&AnimationScheduler_I::m_animationClip>(0x02FFF093, "AnimationClip"),
      FieldMember<&AnimationScheduler_I::m_removeExpiredClip>(0x03FFF093, "RemoveExpiredClip"),
      IndexedFieldMember<&AnimationScheduler_I::m_trackEndTime>(0x04FFF093, "TrackEndTime", 0x5),
      ReadOnly(FieldMember<&AnimationScheduler_I::m_highestEndTime>(0x05FFF093, "HighestEndTime", 0x5)),
      FieldMember<&AnimationScheduler_I::m_blendClip>(0x06FFF093, "BlendClip"),
  };
  DefineMembers(members);
}
}  // namespace PM
