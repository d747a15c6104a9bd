// The events that widgets raise and handlers answer: the WEvent enumeration, each value its own member id.
#pragma once

#include <cstdint>

namespace PM {

enum : uint32_t {
  kClassWEvent = 0xFFFFF0D5,
  kWEventNone = 0x01FFF0D5,
  kWEventShowWidget = 0x02FFF0D5,
  kWEventHideWidget = 0x03FFF0D5,
  kWEventToggleWidget = 0x04FFF0D5,
  kWEventFocus = 0x05FFF0D5,
  kWEventFocusLost = 0x06FFF0D5,
  kWEventFocusActive = 0x07FFF0D5,
  kWEventKeyboardFocus = 0x08FFF0D5,
  kWEventKeyboardFocusLost = 0x09FFF0D5,
  kWEventKeyboardFocusActive = 0x0AFFF0D5,
  kWEventKeyDown = 0x0BFFF0D5,
  kWEventKeyUp = 0x0CFFF0D5,
  kWEventMouseLeftDown = 0x0DFFF0D5,
  kWEventMouseLeftHold = 0x0EFFF0D5,
  kWEventMouseLeftUp = 0x0FFFF0D5,
  kWEventMouseLeftClick = 0x10FFF0D5,
  kWEventMouseLeftDoubleClick = 0x11FFF0D5,
  kWEventMouseRightDown = 0x12FFF0D5,
  kWEventMouseRightHold = 0x13FFF0D5,
  kWEventMouseRightUp = 0x14FFF0D5,
  kWEventMouseRightClick = 0x15FFF0D5,
  kWEventMouseRightDoubleClick = 0x16FFF0D5,
  kWEventMouseMiddleDown = 0x17FFF0D5,
  kWEventMouseMiddleHold = 0x18FFF0D5,
  kWEventMouseMiddleUp = 0x19FFF0D5,
  kWEventMouseMiddleClick = 0x1AFFF0D5,
  kWEventMouseMiddleDoubleClick = 0x1BFFF0D5,
  kWEventMouseWheelX = 0x1CFFF0D5,
  kWEventMouseWheelY = 0x1DFFF0D5,
  kWEventMouseDragStart = 0x1EFFF0D5,
  kWEventMouseDragActive = 0x1FFFF0D5,
  kWEventMouseDragRelease = 0x20FFF0D5,
  kWEventMouseDragDrop = 0x21FFF0D5,
  kWEventButtonDown = 0x22FFF0D5,
  kWEventButtonHold = 0x23FFF0D5,
  kWEventButtonUp = 0x24FFF0D5,
  kWEventButtonClicked = 0x25FFF0D5,
  kWEventButtonRightClicked = 0x26FFF0D5,
  kWEventButtonChecked = 0x27FFF0D5,
  kWEventButtonUnchecked = 0x28FFF0D5,
  kWEventCloseButtonDown = 0x29FFF0D5,
  kWEventCloseButtonClicked = 0x2AFFF0D5,
  kWEventChildButtonDown = 0x2BFFF0D5,
  kWEventChildButtonHold = 0x2CFFF0D5,
  kWEventChildButtonUp = 0x2DFFF0D5,
  kWEventChildButtonClicked = 0x2EFFF0D5,
  kWEventValueChanged = 0x2FFFF0D5,
  kWEventInfoChanged = 0x30FFF0D5,
  kWEventEffectFinished = 0x31FFF0D5,
};

constexpr int kWEventCount = 49;

// Defines the WEvent enumeration class with its values.
void DefineWEventEnum();

}  // namespace PM
