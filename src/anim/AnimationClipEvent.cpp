#include "anim/AnimationClipEvent.h"

#include <iterator>
#include "classes/EngineClassRegistry.h"

namespace PM {

Obj<AnimationClip_I> AnimationClipEvent_I::Clone() {
  static constexpr uint32_t kCopied[] = {
      kMemberClipAnimationLibrary, kMemberClipEnabled, kMemberClipRelative, kMemberClipStartTime,
      kMemberClipCycles,           kMemberClipScale,   kMemberClipWarpTime, kMemberObjectName,
  };
  Obj<AnimationClipEvent_I> copy(static_cast<AnimationClipEvent_I*>(Create()));
  CopyClipMembers(this, copy, kCopied, std::size(kCopied));
  copy->SetHandler(m_handler.Get());
  return Obj<AnimationClip_I>(copy.Get());
}

void AnimationClipEvent_I::RaiseEvent(uint32_t kind, float phase) {
  if (!(m_eventMask & kind) || !m_handler) return;
  Obj<AnimationClipEvent_I> self(this);
  Ptr<AnimationClipEventHandler> handler(m_handler);
  handler->EventObject = NilScriptObject();
  handler->EventClip = this;
  handler->EventKind = kind;
  handler->EventPhase = phase;
  handler->OnClipEvent();
}

namespace {}  // namespace

void AnimationClipEvent_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AnimationClipEvent_I>()};
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<AnimationClipEvent_I>();

}  // namespace PM
