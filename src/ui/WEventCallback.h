// A handler destination that calls a host function with its user data.
#pragma once

#include "classes/Object.h"
#include "ui/UIClass.h"

namespace PM {

class WEventCallback_I : public EngineClass<WEventCallback_I, Object_I, ClassId::WEventCallback, "WEventCallback"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // Stands in for the thread's default callback until the per-thread widget record exists.
  WeakObj<WEventCallback_I> m_defaultCallback;
  void* m_function = nullptr;
  uint32_t m_userData = 0;
};

}  // namespace PM
