// Shared fixture of the frame, control and button tests: a style, widgets made by class, layout inside
// a 320 x 240 parent record, and a fake clock for the highlight fade.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "WidgetFixture.h"
#include "ui/WFrame.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"

namespace PM {
class RenderShader_I;
class Texture2D_I;
class FontTexture2D_I;
class FontStyle_I;
}  // namespace PM

namespace PM::Test {

class FrameTest : public WidgetTest {
 public:
  // What Listen recorded.
  static std::vector<std::pair<uint32_t, std::string>> events;

 protected:
  void SetUp() override;
  void TearDown() override;

  // A widget of a frame class with style, placed at (x, y) with the given size (negative: default).
  template <class T>
  T* MakeWidget(const char* name, float x = 0, float y = 0, float w = 100, float h = 60) {
    auto* f = static_cast<T*>(MakeOf(T::kClassId, name));
    f->m_style = style.Get();
    f->m_layout.alignmentModeX = f->m_layout.alignmentModeY = kAlignMin;
    f->m_layout.position = {x, y, 0};
    f->m_layout.dimension = {w, h, 0};
    return f;
  }
  // Both layout passes of `w` in the 320 x 240 parent.
  void Layout(Widget_I* w);
  // An element with borders and one atom per colour slot so that every slot's colour can be read back.
  UIElement_I* BorderElement(Vector3f low, Vector3f high, int32_t slots);

  // A shader whose Surface, Color and Texture lead to `texture`.
  RenderShader_I* ShaderOver(Texture2D_I* texture);
  // A 16-pixel font style of DejaVu Sans (or of `font`), its glyphs rendered.
  FontStyle_I* DejaVu(FontTexture2D_I* font = nullptr);
  // Records every listed event raised on `w` into `events` (as the event id and the widget's name).
  void Listen(Widget_I* w, std::initializer_list<uint32_t> handled);
  // An input record of `m_window` whose pointer ray goes straight down through (x, y).
  WidgetInput PointerAt(float x, float y);

  WidgetLayout parent;
  WidgetDrawContext context;
  Obj<WidgetStyle_I> style;
  static double s_now;
  static double FakeNow() { return s_now; }
};

}  // namespace PM::Test
