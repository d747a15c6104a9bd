// The host's receiver of clip events. Hosts derive from it and make their handler with NewCounted:
// clips and the scheduler hold it by reference count.
#pragma once

#include <cstdint>

namespace PM {

class AnimationClipEvent_I;
class ScriptObject;

class AnimationClipEventHandler {
 public:
  AnimationClipEventHandler();
  // The interface's empty first slot; OnClipEvent follows.
  virtual void HandlerSlot0();
  // Called once per delivered event, after the fields below describe it.
  virtual void OnClipEvent() = 0;

  ScriptObject* EventObject = nullptr;        // the nil object: events name no object
  AnimationClipEvent_I* EventClip = nullptr;  // the clip raising the event (not counted)
  uint32_t EventKind = 0;                     // 1 start, 2 running, 4 end
  float EventPhase = 0.0f;                    // the clip's phase in this frame

 protected:
  // Destroyed through the counted block's type record, which names the host's class.
  ~AnimationClipEventHandler() = default;
};

enum : uint32_t { kClipEventStart = 1, kClipEventRunning = 2, kClipEventEnd = 4 };

}  // namespace PM
