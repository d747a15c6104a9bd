#include "anim/AnimationClipEvent.h"

#include <iterator>

#include "scene/EngineClassRegistry.h"

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

void DefineAnimationClipEventClass() {
  const ClassDef classes[] = {ConcreteClass<AnimationClipEvent_I>(AnimationClip_I::kClassId, "AnimationClipEvent")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x091, &DefineAnimationClipEventClass);

}  // namespace
}  // namespace PM
