#include "ui/WEvent.h"

#include "ui/UIClass.h"

namespace PM {

void DefineWEventEnum() {
  static TypeRecord type("WEvent", 4, NoUIEnumDestroy);
  static const char* const kNames[kWEventCount] = {
      "None", "ShowWidget", "HideWidget", "ToggleWidget", "Focus", "FocusLost", "FocusActive", "KeyboardFocus",
      "KeyboardFocusLost", "KeyboardFocusActive", "KeyDown", "KeyUp", "MouseLeftDown", "MouseLeftHold", "MouseLeftUp",
      "MouseLeftClick", "MouseLeftDoubleClick", "MouseRightDown", "MouseRightHold", "MouseRightUp", "MouseRightClick",
      "MouseRightDoubleClick", "MouseMiddleDown", "MouseMiddleHold", "MouseMiddleUp", "MouseMiddleClick",
      "MouseMiddleDoubleClick", "MouseWheelX", "MouseWheelY", "MouseDragStart", "MouseDragActive", "MouseDragRelease",
      "MouseDragDrop", "ButtonDown", "ButtonHold", "ButtonUp", "ButtonClicked", "ButtonRightClicked", "ButtonChecked",
      "ButtonUnchecked", "CloseButtonDown", "CloseButtonClicked", "ChildButtonDown", "ChildButtonHold",
      "ChildButtonUp", "ChildButtonClicked", "ValueChanged", "InfoChanged", "EffectFinished",
  };
  DefineUIEnum(kClassWEvent, "", "WEvent", type, kNames, kWEventCount);
}

}  // namespace PM
