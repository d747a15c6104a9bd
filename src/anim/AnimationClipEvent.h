// A clip that also reports its start, its running frames and its end to a host's handler.
#pragma once

#include "anim/AnimationClip.h"
#include "anim/AnimationClipEventHandler.h"
#include "classes/EngineClass.h"

namespace PM {

class AnimationClipEvent_I
    : public EngineClass<AnimationClipEvent_I, AnimationClip_I, ClassId::AnimationClipEvent, "AnimationClipEvent"> {
 public:
  static void Define();
  // A new event clip with the same library, timing and handler (shared); preset, fade-in, track,
  // amplitude and event mask keep their defaults.
  Obj<AnimationClip_I> Clone() override;

  AnimationClipEventHandler* GetHandler() const { return m_handler.Get(); }
  // Holds the new handler (null allowed) before releasing the old one.
  void SetHandler(AnimationClipEventHandler* handler) { m_handler = handler; }
  uint32_t GetEventMask() const { return m_eventMask; }
  void SetEventMask(uint32_t mask) { m_eventMask = mask; }
  // Delivers event `kind` when the mask has its bit and a handler is set. Clip and handler stay held
  // through the call, so the handler may release either.
  void RaiseEvent(uint32_t kind, float phase);

 private:
  Ptr<AnimationClipEventHandler> m_handler;
  uint32_t m_eventMask = kClipEventStart;
};

}  // namespace PM
