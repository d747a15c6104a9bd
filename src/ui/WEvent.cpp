#include "ui/WEvent.h"

#include "classes/EngineClass.h"

namespace PM {

void DefineWEventEnum() {
  static const char* const kNames[kWEventCount] = {
      "None",
      "ShowWidget",
      "HideWidget",
      "ToggleWidget",
      "Focus",
      "FocusLost",
      "FocusActive",
      "KeyboardFocus",
      "KeyboardFocusLost",
      "KeyboardFocusActive",
      "KeyDown",
      "KeyUp",
      "MouseLeftDown",
      "MouseLeftHold",
      "MouseLeftUp",
      "MouseLeftClick",
      "MouseLeftDoubleClick",
      "MouseRightDown",
      "MouseRightHold",
      "MouseRightUp",
      "MouseRightClick",
      "MouseRightDoubleClick",
      "MouseMiddleDown",
      "MouseMiddleHold",
      "MouseMiddleUp",
      "MouseMiddleClick",
      "MouseMiddleDoubleClick",
      "MouseWheelX",
      "MouseWheelY",
      "MouseDragStart",
      "MouseDragActive",
      "MouseDragRelease",
      "MouseDragDrop",
      "ButtonDown",
      "ButtonHold",
      "ButtonUp",
      "ButtonClicked",
      "ButtonRightClicked",
      "ButtonChecked",
      "ButtonUnchecked",
      "CloseButtonDown",
      "CloseButtonClicked",
      "ChildButtonDown",
      "ChildButtonHold",
      "ChildButtonUp",
      "ChildButtonClicked",
      "ValueChanged",
      "InfoChanged",
      "EffectFinished",
  };
  DefineEnumType({kClassWEvent, "", "WEvent", kNames, kWEventCount});
}

}  // namespace PM
