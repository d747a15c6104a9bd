#include "anim/AnimationClipEvent.h"


namespace PM {

void AnimationClipEvent_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationClipEvent_I>()};
  DefineClasses(classes);
}
}  // namespace PM
