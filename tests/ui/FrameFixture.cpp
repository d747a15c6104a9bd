#include "FrameFixture.h"

#include "core/HighResTimer.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"

namespace PM::Test {

double FrameTest::s_now = 0.0;
std::vector<std::pair<uint32_t, std::string>> FrameTest::events;

namespace {
extern "C" void RecordEvent(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  FrameTest::events.emplace_back(event, widget->m_name.CStr());
}
}  // namespace

void FrameTest::Listen(Widget_I* w, std::initializer_list<uint32_t> handled) {
  auto* callback = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
  callback->SetFunction(&RecordEvent);
  for (uint32_t e : handled) {
    auto* h = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
    h->m_handle = e;
    h->m_message = kWEventNone;
    h->m_destination = callback;
    w->m_handlerArray.Append(Obj<WHandler_I>(h));
  }
}

WidgetInput FrameTest::PointerAt(float x, float y) {
  WidgetInput in;
  in.rayOrigin = {x, y, 10};
  in.rayDirection = {0, 0, -1};
  in.window = m_window.Get();
  return in;
}

void FrameTest::SetUp() {
  WidgetTest::SetUp();
  style = static_cast<WidgetStyle_I*>(MakeOf(WidgetStyle_I::kClassId, "style"));
  parent.computedSize = {320, 240, 0};
  parent.clipState = kClipped;
  parent.clipRect[0] = parent.clipRect[2] = 0;
  parent.clipRect[1] = 320;
  parent.clipRect[3] = 240;
  s_now = 0.0;
  events.clear();
  WFrame_I::s_nowSeconds = &FakeNow;
}

void FrameTest::TearDown() {
  WFrame_I::s_nowSeconds = &HighResTimer::GetNowSeconds;
  style.Clear();
  WidgetTest::TearDown();
}

void FrameTest::Layout(Widget_I* w) {
  w->CalcDimMin();
  w->UpdateLayoutTree(&parent, 0);
}

UIElement_I* FrameTest::BorderElement(Vector3f low, Vector3f high, int32_t slots) {
  auto* e = static_cast<UIElement_I*>(MakeOf(UIElement_I::kClassId, "element"));
  e->m_borderMin = low;
  e->m_borderMax = high;
  for (int32_t i = 0; i < slots; ++i) {
    UIAtomStructure a{};
    a.texRight = 512;
    a.texEdgeB = 512;
    a.anchorX1 = 1;
    a.anchorY1 = 1;
    a.colorId = i;
    e->m_atoms.Append(a);
  }
  return e;
}

}  // namespace PM::Test
