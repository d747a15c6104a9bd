// A small modal dialog window on X11 for the dialogs a person answers: push buttons, radio buttons, group
// boxes, static texts and a read-only scrolling text, laid out in dialog units (a quarter of the font's
// average character width, an eighth of its height), drawn with Xft. It opens its own display connection,
// so the application's windows keep their events queued while it runs. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/MessageDialog.h"

namespace PM {

enum class X11ControlKind { kDefaultButton, kButton, kGroupBox, kStatic, kScrollText, kRadio, kExclamation };

struct X11DialogControl {
  int32_t id = 0;
  X11ControlKind kind = X11ControlKind::kStatic;
  int32_t x = 0, y = 0, width = 0, height = 0;  // dialog units
  std::string text;
  bool checked = false, visible = true, enabled = true;
};

// Where an open dialog lies on the screen: its window and each control's rectangle in screen pixels.
struct X11DialogLayout {
  unsigned long window = 0;
  std::map<int32_t, std::vector<int32_t>> controls;  // id -> x, y, width, height
};

struct X11DialogCallbacks {
  std::function<void(int32_t id)> command;                    // a button or radio button was pressed
  std::function<void()> close;                                // the window's close box
  std::function<bool()> done;                                 // checked after every event
  std::function<void(std::vector<X11DialogControl>&)> state;  // refreshes texts and states before drawing
};

// Runs the dialog modally. False, with nothing shown, when the display cannot be opened. A dialog opened
// while another runs on the thread (a message box from a button) first repaints the other one, so that it
// shows what the pressed button changed before the new one takes over.
bool RunX11Dialog(const std::string& title, int32_t widthDU, int32_t heightDU, const std::string& fontFace,
                  int32_t fontPoints, unsigned long owner, std::vector<X11DialogControl> controls,
                  const X11DialogCallbacks& callbacks);

// A message box with an OK button and the icon left of its text; returns the answer (the default one when
// closed). -1 without a display.
int RunX11MessageBox(const char* title, const char* text, int defaultAnswer, MessageIcon icon = MessageIcon::kNone);

// The layout of the dialog open now (empty when none): for tests that drive a dialog with injected input.
X11DialogLayout CurrentX11DialogLayout();

}  // namespace PM
