#include "support/EventNames.h"

#include "ui/WEvent.h"

namespace PM::Test {

namespace {

const struct {
  uint32_t event;
  const char* name;
} kNames[] = {
    {kWEventFocus, "Focus"},
    {kWEventFocusLost, "FocusLost"},
    {kWEventFocusActive, "FocusActive"},
    {kWEventKeyboardFocusLost, "KeyboardFocusLost"},
    {kWEventKeyDown, "KeyDown"},
    {kWEventMouseLeftDown, "LeftDown"},
    {kWEventMouseLeftHold, "LeftHold"},
    {kWEventMouseLeftUp, "LeftUp"},
    {kWEventMouseLeftDoubleClick, "LeftDouble"},
    {kWEventMouseRightDown, "RightDown"},
    {kWEventMouseWheelY, "WheelY"},
    {kWEventMouseDragStart, "DragStart"},
    {kWEventMouseDragActive, "DragActive"},
    {kWEventMouseDragRelease, "DragRelease"},
    {kWEventMouseDragDrop, "DragDrop"},
    {kWEventChildButtonDown, "ChildDown"},
    {kWEventButtonDown, "ButtonDown"},
    {kWEventButtonClicked, "ButtonClicked"},
    {kWEventInfoChanged, "InfoChanged"},
    {kWEventEffectFinished, "EffectFinished"},
    {kWEventButtonChecked, "Checked"},
    {kWEventButtonUnchecked, "Unchecked"},
    {kWEventValueChanged, "ValueChanged"},
    {kWEventCloseButtonClicked, "CloseClicked"},
};

}  // namespace

std::string EventName(uint32_t event) {
  for (const auto& n : kNames)
    if (n.event == event) return n.name;
  return std::to_string(event >> 24);
}

}  // namespace PM::Test
