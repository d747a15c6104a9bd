// Shared fixture of the widget tests: the UI classes defined, widgets made and held by name, a window,
// a recording engine, and the drawn quads read back with the widget position they were drawn at.
#pragma once

#include <string>
#include <vector>

#include "UIFixture.h"
#include "support/ElementWidget.h"
#include "support/RecordingRenderEngine.h"
#include "ui/UIElement.h"
#include "ui/Window.h"

namespace PM::Test {

// One quad as the widget tests read it: where the widget's model-view put its origin, its size and colour.
struct DrawnQuad {
  float x, y, width, height;
  Vector4f color;
  bool clipOn;
  float clip[4];
};

class WidgetTest : public UITableTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new ElementWidget drawing the covering element, named and held by the test; placed under parent.
  ElementWidget* Make(const char* name, Widget_I* parent = nullptr);
  // A new object of a UI class, named and held by the test.
  ScriptObject* MakeOf(uint32_t classId, const char* name = "");
  // Draws the window with `engine`, and reads the quads back.
  std::vector<DrawnQuad> DrawWindow();
  // The names of the widgets the window drew, in order.
  std::string DrawnNames() const;

  std::vector<Obj<ScriptObject>> m_held;
  Obj<UIElement_I> m_covering;
  Obj<TWindow_I> m_window;
  RecordingRenderEngine engine;
};

}  // namespace PM::Test
