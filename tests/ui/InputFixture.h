// Shared fixture of the input tests: a window whose root fills the 320 x 240 virtual screen, widgets
// placed by their lower-left corner, a recording host callback, and one frame (layout, drawing, input
// pass) at a pointer position given in root coordinates.
#pragma once

#include <string>
#include <vector>

#include "WidgetFixture.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WidgetInput.h"

namespace PM::Test {

class InputTest : public WidgetTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A widget at (x, y) of its parent (the root when none), w x h.
  ElementWidget* Place(const char* name, float x, float y, float w, float h, Widget_I* parent = nullptr);
  // Handlers sending each of `events` to the recording callback.
  void Watch(Widget_I* w, std::initializer_list<uint32_t> events);
  WHandler_I* AddHandler(Widget_I* on, uint32_t handle, ScriptObject* destination, uint32_t message = 0);
  // Draws, then dispatches a record with the pointer at (x, y) of the root and the given buttons.
  WidgetInput& Frame(float x, float y, uint32_t buttons = 0, uint32_t character = 0, uint32_t virtualKey = 0,
                     uint32_t modifiers = 0);
  // The recorded "name:event" entries since the last call, space-separated, events by their short names.
  std::string Calls();

  Widget_I* root = nullptr;
  WEventCallback_I* callback = nullptr;
  WidgetInput record;
};

// The recording callback's log, shared with tests that install callbacks of their own.
extern std::vector<std::string> g_inputCalls;

}  // namespace PM::Test
