// A handler destination that calls a host function with its user data.
#pragma once

#include "classes/Object.h"
#include "ui/UIClass.h"

namespace PM {

class Widget_I;
class WHandler_I;
struct WidgetInput;

// The host function a callback calls: (user data, the widget raising the event, the handler, the event
// as a WEvent member id, the input record). Its result is ignored.
extern "C" {
typedef void (*WEventCallbackFunction)(uint32_t userData, Widget_I* widget, WHandler_I* handler, uint32_t event,
                                       WidgetInput* input);
}

class WEventCallback_I : public EngineClass<WEventCallback_I, Object_I, ClassId::WEventCallback, "WEventCallback"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WEventCallbackFunction GetFunction() const { return m_function; }
  void SetFunction(WEventCallbackFunction f) { m_function = f; }
  uint32_t GetUserData() const { return m_userData; }
  void SetUserData(uint32_t data) { m_userData = data; }

  // Stands in for the thread's default callback until the per-thread widget record exists.
  WeakObj<WEventCallback_I> m_defaultCallback;
  WEventCallbackFunction m_function = nullptr;
  uint32_t m_userData = 0;
};

}  // namespace PM
