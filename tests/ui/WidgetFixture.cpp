#include "WidgetFixture.h"

#include "ui/Widget.h"

namespace PM::Test {

void WidgetTest::SetUp() {
  UITableTest::SetUp();
  m_covering = ElementWidget::CoveringElement();
  m_window = static_cast<TWindow_I*>(TWindow_I::Create());
  m_window->m_virtualResolution = {320, 240, 0};
}

void WidgetTest::TearDown() {
  m_window.Clear();
  m_held.clear();
  m_covering.Clear();
  UITableTest::TearDown();
}

ElementWidget* WidgetTest::Make(const char* name, Widget_I* parent) {
  ElementWidget* w = ElementWidget::Create();
  m_held.emplace_back(w);
  w->m_name = name;
  w->m_element = m_covering.Get();
  if (parent) w->SetParent(parent);
  return w;
}

ScriptObject* WidgetTest::MakeOf(uint32_t classId, const char* name) {
  ScriptObject* o = ScriptObject::Create(classId);
  m_held.emplace_back(o);
  if (o->IsA(ClassId::Object)) static_cast<Object_I*>(o)->m_name = name;
  return o;
}

std::vector<DrawnQuad> WidgetTest::DrawWindow() {
  engine.quads.clear();
  engine.calls.clear();
  m_window->Draw(&engine);
  std::vector<DrawnQuad> out;
  for (const RecordedQuad& q : engine.quads) {
    Matrix4f mv = kIdentityMatrix4f;
    for (size_t i = q.callsBefore; i-- > 0;)
      if (engine.calls[i].op == "modelview") {
        mv = engine.calls[i].matrix;
        break;
      }
    DrawnQuad d{mv.m[12] + q.left, mv.m[13] + q.bottom, q.right - q.left, q.top - q.bottom, q.color, q.clipOn, {}};
    std::copy(q.clipRect, q.clipRect + 4, d.clip);
    out.push_back(d);
  }
  return out;
}

std::string WidgetTest::DrawnNames() const {
  std::string out;
  for (const WeakObj<Widget_I>& w : m_window->DrawnWidgets())
    out.append(out.empty() ? "" : " ").append(w->m_name.CStr());
  return out;
}

}  // namespace PM::Test
