#include "anim/AnimationClipEvent.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineAnimationClipEventClass() {
  const ClassDef classes[] = {ConcreteClass<AnimationClipEvent_I>(AnimationClip_I::kClassId, "AnimationClipEvent")};
  DefineClasses(classes);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x091, &DefineAnimationClipEventClass);

}  // namespace
}  // namespace PM
