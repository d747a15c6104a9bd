// An event handler: answers one WEvent of its widget by passing a message on to its destination.
#pragma once

#include "classes/Object.h"
#include "core/NameHash.h"
#include "ui/UIClass.h"
#include "ui/WEvent.h"

namespace PM {

class WHandler_I : public EngineClass<WHandler_I, Object_I, ClassId::WHandler, "WHandler"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // A new handler serves the calling thread's default callback until its Destination is written.
  WHandler_I();

  uint32_t m_handle = kWEventNone;
  uint32_t m_message = kWEventNone;
  // Weak: a handler does not keep its destination alive.
  WeakObj<ScriptObject> m_destination;
  uint32_t m_userValue = 0;
  NameHash m_cmd;
};

}  // namespace PM
