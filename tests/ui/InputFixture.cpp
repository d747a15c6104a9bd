#include "InputFixture.h"

#include "support/EventNames.h"
#include "ui/WEvent.h"

namespace PM::Test {

std::vector<std::string> g_inputCalls;

namespace {

extern "C" void RecordInput(uint32_t, Widget_I* widget, WHandler_I*, uint32_t event, WidgetInput*) {
  g_inputCalls.push_back(std::string(widget->m_name.CStr()) + ":" + EventName(event));
}

}  // namespace

void InputTest::SetUp() {
  WidgetTest::SetUp();
  g_inputCalls.clear();
  callback = static_cast<WEventCallback_I*>(MakeOf(ClassId::WEventCallback));
  callback->SetFunction(&RecordInput);
  root = Make("root");
  root->m_layout.dimension = {320, 240, 0};
  m_window->m_rootWidget = root;
}

void InputTest::TearDown() {
  record = WidgetInput();
  m_window->m_rootWidget.Clear();
  m_window->m_input = WidgetInput();
  WidgetTest::TearDown();
}

ElementWidget* InputTest::Place(const char* name, float x, float y, float w, float h, Widget_I* parent) {
  ElementWidget* e = Make(name, parent ? parent : root);
  e->m_layout.alignmentModeX = e->m_layout.alignmentModeY = kAlignMin;
  e->m_layout.position = {x, y, 0};
  e->m_layout.dimension = {w, h, 0};
  return e;
}

WHandler_I* InputTest::AddHandler(Widget_I* on, uint32_t handle, ScriptObject* destination, uint32_t message) {
  auto* h = static_cast<WHandler_I*>(MakeOf(ClassId::WHandler));
  h->m_handle = handle;
  h->m_message = message ? message : kWEventNone;
  h->m_destination = destination;
  on->m_handlerArray.Append(Obj<WHandler_I>(h));
  return h;
}

void InputTest::Watch(Widget_I* w, std::initializer_list<uint32_t> events) {
  for (uint32_t e : events) AddHandler(w, e, callback);
}

WidgetInput& InputTest::Frame(float x, float y, uint32_t buttons, uint32_t character, uint32_t virtualKey,
                              uint32_t modifiers) {
  DrawWindow();
  record = WidgetInput();
  record.hoverPending = 1;
  record.window = m_window.Get();
  record.buttons = buttons;
  record.character = character;
  record.virtualKey = virtualKey;
  record.modifiers = modifiers;
  // The root's origin lies at the lower-left corner of the virtual screen.
  record.rayOrigin = {x - 160, y - 120, 1};
  record.rayDirection = {0, 0, -1};
  m_window->DispatchInput(&record);
  return record;
}

std::string InputTest::Calls() {
  std::string out;
  for (const std::string& c : g_inputCalls) out += (out.empty() ? "" : " ") + c;
  g_inputCalls.clear();
  return out;
}

}  // namespace PM::Test
