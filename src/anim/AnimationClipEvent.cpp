#include "anim/AnimationClipEvent.h"

#include <iterator>

namespace PM {

Obj<AnimationClip_I> AnimationClipEvent_I::Clone() {
  static constexpr uint32_t kCopied[] = {
      kMemberClipAnimationLibrary, kMemberClipEnabled, kMemberClipRelative, kMemberClipStartTime,
      kMemberClipCycles,           kMemberClipScale,   kMemberClipWarpTime, kMemberObjectName,
  };
  Obj<AnimationClip_I> copy(static_cast<AnimationClip_I*>(Create()));
  CopyClipMembers(this, copy, kCopied, std::size(kCopied));
  return copy;
}

namespace {

}  // namespace

void AnimationClipEvent_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationClipEvent_I>()};
  DefineClasses(classes);
}

}  // namespace PM
