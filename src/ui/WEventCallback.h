// A handler destination that calls a host function with its user data.
#pragma once

#include "classes/Object.h"
#include "ui/UIClass.h"

namespace PM {

class WEventCallback_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WEventCallback;
  static constexpr const char* kName = "WEventCallback";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  // Stands in for the thread's default callback until the per-thread widget record exists.
  WeakObj<WEventCallback_I> m_defaultCallback;
  void* m_function = nullptr;
  uint32_t m_userData = 0;
};

}  // namespace PM
