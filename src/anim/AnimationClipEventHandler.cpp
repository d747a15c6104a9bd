#include "anim/AnimationClipEventHandler.h"

namespace PM {

AnimationClipEventHandler::AnimationClipEventHandler() = default;

void AnimationClipEventHandler::HandlerSlot0() {}

}  // namespace PM
