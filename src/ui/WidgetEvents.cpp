// Raising events on a widget and delivering them to its handlers; the element and font a widget draws with.
#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "ui/FontStyle.h"
#include "ui/UIElement.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WKeyHandler.h"
#include "ui/WScroll.h"
#include "ui/WSlider.h"
#include "ui/Widget.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

namespace PM {

namespace {

// Forwarding through handlers nests SendEvent calls; a loop of handlers would never end. Once the bound
// is hit, the whole delivery stops, so that several handlers per widget cannot multiply the calls.
struct ForwardState {
  int32_t depth = 0;
  bool dropped = false;
};
thread_local ForwardState t_forward;

class ForwardLevel {
 public:
  ForwardLevel() { ++t_forward.depth; }
  ~ForwardLevel() {
    if (--t_forward.depth == 0) t_forward.dropped = false;
  }
  ForwardLevel(const ForwardLevel&) = delete;
  ForwardLevel& operator=(const ForwardLevel&) = delete;
};

// The style element of each class that has one; the scroll bar and the slider pick theirs by orientation.
struct StyleElementRow {
  uint32_t classId;
  Obj<UIElement_I> WidgetStyle_I::*element;
};
using S = WidgetStyle_I;
const StyleElementRow kStyleElements[] = {
    {ClassId::WListItem, &S::m_elementListItem},
    {ClassId::WMenuBar, &S::m_elementMenuBar},
    {ClassId::WComboBox, &S::m_elementComboBox},
    {ClassId::WSpinBox, &S::m_elementSpinBox},
    {ClassId::WToolBar, &S::m_elementToolBar},
    {ClassId::WProgress, &S::m_elementProgress},
    {ClassId::WGroupFrame, &S::m_elementGroupFrame},
    {ClassId::WIconButton, &S::m_elementIconButton},
    {ClassId::WMenuItem, &S::m_elementMenuItem},
    {ClassId::WFrame, &S::m_elementFrame},
    {ClassId::WImage, &S::m_elementFrame},
    {ClassId::WLabel, &S::m_elementFrame},
    {ClassId::WText, &S::m_elementFrame},
    {ClassId::WTabFrame, &S::m_elementTab},
    {ClassId::WScrollFrame, &S::m_elementScroll},
    {ClassId::WCheckBox, &S::m_elementCheckBox},
    {ClassId::WButton, &S::m_elementButton},
    {ClassId::WDialog, &S::m_elementDialog},
    {ClassId::WPopup, &S::m_elementPopup},
};

void CallBack(WEventCallback_I* callback, Widget_I* widget, WHandler_I* handler, uint32_t event, WidgetInput* input) {
  WEventCallbackFunction f = callback->GetFunction();
  if (!f) return;
  if (input) return f(callback->GetUserData(), widget, handler, event, input);
  WidgetInput empty;
  f(callback->GetUserData(), widget, handler, event, &empty);
}

}  // namespace

void Widget_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (t_forward.dropped) return;
  if (t_forward.depth >= kMaxEventForwarding) {
    t_forward.dropped = true;
    LogError("Widget::SendEvent: the event reached \"", m_name, "\" through more than ", kMaxEventForwarding,
             " handlers and is dropped.");
    return;
  }
  ForwardLevel level;
  // Host callbacks may empty the handler array or drop this widget: both are held until the end.
  Obj<Widget_I> keep(this);
  const Array<Obj<WHandler_I>> handlers(m_handlerArray);

  const uint32_t visibility = m_layout.visibility;
  if (event == kWEventToggleWidget) MemberSet<VU32>(this, kMemberWidgetVisibility, visibility ^ 1u);
  if (event == kWEventShowWidget) MemberSet<VU32>(this, kMemberWidgetVisibility, visibility | 1u);
  if (event == kWEventHideWidget) MemberSet<VU32>(this, kMemberWidgetVisibility, visibility & ~1u);

  if ((event == kWEventButtonDown || event == kWEventCloseButtonDown) && input) {
    UIElement_I* element = GetUIElement();
    TWindow_I* window = input->window.Get();
    if (!IsNilObject(element) && element->m_soundClick.Length() > 0 && !IsNilObject(window))
      window->QueueSound(element->m_soundClick);
  }

  for (const Obj<WHandler_I>& handler : handlers) {
    if (t_forward.dropped) return;
    if (handler.IsNil() || handler->m_handle != event) continue;
    if (event == kWEventKeyDown && handler->IsA(WKeyHandler_I::kClassId)) {
      if (!input || !static_cast<const WKeyHandler_I*>(handler.Get())->Matches(*input)) continue;
      input->keyConsumed = 1;
    }
    const Obj<ScriptObject> destination(handler->m_destination.Get());
    if (destination->IsA(WEventCallback_I::kClassId))
      CallBack(static_cast<WEventCallback_I*>(destination.Get()), this, handler.Get(), event, input);
    else if (destination->IsA(Widget_I::kClassId))
      static_cast<Widget_I*>(destination.Get())->SendEvent(handler->m_message, input);
    else if (destination->IsA(WEffect_I::kClassId))
      static_cast<WEffect_I*>(destination.Get())->HandleEvent(handler->m_message, input);
  }
}

UIElement_I* Widget_I::GetUIElement() {
  if (!m_element.IsNil()) return m_element.Get();
  auto* nil = static_cast<UIElement_I*>(NilScriptObject());
  if (m_style.IsNil()) return nil;
  const uint32_t id = GetClassID();
  if (id == ClassId::WGroup) return nil;
  if (id == ClassId::WScroll)
    return static_cast<WScroll_I*>(this)->m_orientation ? m_style->m_elementScrollY : m_style->m_elementScrollX;
  if (id == ClassId::WSlider)
    return static_cast<WSlider_I*>(this)->m_orientation ? m_style->m_elementSliderY : m_style->m_elementSliderX;
  for (const StyleElementRow& row : kStyleElements)
    if (row.classId == id) return (m_style.Get()->*row.element).Get();
  LogWarn("Widget::GetUIElement: unknown type ", ' ', id, '.');
  return nil;
}

FontStyle_I* Widget_I::GetFontStyle() {
  if (m_style.IsNil()) return static_cast<FontStyle_I*>(NilScriptObject());
  UIElement_I* element = GetUIElement();
  if (!IsNilObject(element) && !element->m_fontStyle.IsNil()) return element->m_fontStyle.Get();
  return m_style->m_fontStyle.Get();
}

}  // namespace PM
