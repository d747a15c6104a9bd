// The button's press-and-release state machine, the opening of sub menus and the closing of a menu chain.
#include "ui/UIElement.h"
#include "ui/WButton.h"
#include "ui/WEvent.h"
#include "ui/WPopup.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

namespace PM {

namespace {

// Half a second of hovering opens a popup item's sub menu.
constexpr double kSubMenuDelay = 0.5;

bool Visible(const Widget_I* w) { return !IsNilObject(w) && (w->m_layout.visibility & 1) != 0; }

bool ParentIs(const Widget_I* w, uint32_t classId) {
  const Widget_I* p = w->m_parent.Get();
  return !IsNilObject(p) && p->IsA(classId);
}

// A sibling button's sub menu that is open and not `mine`, searched from the last child; or null.
Widget_I* OtherOpenSubMenu(const Widget_I* parent, const Widget_I* mine) {
  for (int32_t k = parent->ChildCount(); k-- > 0;) {
    Widget_I* sibling = parent->GetChild(k);
    if (IsNilObject(sibling) || !sibling->IsA(ClassId::WButton)) continue;
    Widget_I* menu = static_cast<WButton_I*>(sibling)->m_subMenu.Get();
    if (!IsNilObject(menu) && menu != mine && Visible(menu)) return menu;
  }
  return nullptr;
}

}  // namespace

void WButton_I::OpenSubMenu(bool toggle, WidgetInput* input) {
  Widget_I* parent = m_parent.Get();
  if (!IsNilObject(parent) && (parent->IsA(ClassId::WPopup) || parent->IsA(ClassId::WMenuBar))) {
    for (int32_t k = parent->ChildCount(); k-- > 0;) {
      Widget_I* sibling = parent->GetChild(k);
      if (IsNilObject(sibling) || !sibling->IsA(ClassId::WButton)) continue;
      Widget_I* menu = static_cast<WButton_I*>(sibling)->m_subMenu.Get();
      if (!IsNilObject(menu) && menu != m_subMenu.Get() && Visible(menu)) menu->SendEvent(kWEventHideWidget, input);
    }
  }
  if (m_subMenu.IsNil()) return;
  Obj<WPopup_I> menu = m_subMenu;
  if (!Visible(menu.Get()))
    menu->SendEvent(kWEventShowWidget, input);
  else if (toggle && !ParentIs(this, ClassId::WPopup))
    menu->SendEvent(kWEventHideWidget, input);  // a second press closes it
}

void WButton_I::CapturePress(TWindow_I* window) { window->SetCaptureWidget(this); }

// Events go on to the widget, not to the frame: the button's focus look, press and capture replace the
// frame's, whose focus step would light a separator on every hover. The events a press raises go to the
// widget alone as well, so that they reach the handlers and nothing here handles them a second time.
void WButton_I::FocusEvent(uint32_t event, WidgetInput* input, TWindow_I* window, const UIElement_I* e) {
  switch (event) {
    case kWEventFocus:
      m_focusTime = s_nowSeconds();
      if (ShowsFocus()) m_focusFlag = 1;
      if (m_enable && window && !IsNilObject(e)) {
        if (e->m_soundFocus.Length() > 0) window->QueueSound(e->m_soundFocus);
        window->SetCursor(e->m_cursorFocus);
      }
      break;
    case kWEventFocusLost:
      m_focusFlag = 0;
      m_frameState = m_state == 1;
      if (window) window->SetCursor(0);
      break;
    case kWEventFocusActive:
      if (ParentIs(this, ClassId::WMenuBar)) {
        if (OtherOpenSubMenu(m_parent.Get(), m_subMenu.Get())) OpenSubMenu(true, input);
      } else if (ParentIs(this, ClassId::WPopup) && s_nowSeconds() - m_focusTime >= kSubMenuDelay) {
        OpenSubMenu(false, input);
      }
      break;
    default:
      break;
  }
}

void WButton_I::LeftButtonEvent(uint32_t event, WidgetInput* input, TWindow_I* window, bool inside) {
  switch (event) {
    case kWEventMouseLeftDown: {
      if (IgnoresPresses()) break;
      m_pressedMode = 1;
      m_focusFlag = 0;
      m_fade = 0.0f;
      m_frameState = m_state == 0;
      if (window) CapturePress(window);
      Widget_I::SendEvent(kWEventButtonDown, input);
      OpenSubMenu(true, input);
      break;
    }
    case kWEventMouseLeftHold:
      if (m_pressedMode != 1) break;
      if (!inside) {
        m_frameState = m_state == 1;
        m_focusFlag = 0;
        m_fade = 0.0f;
      } else {
        m_frameState = m_state == 0;
        if (m_enable) {
          m_focusFlag = 1;
          m_fade = 1.0f;
        }
      }
      break;
    case kWEventMouseLeftUp:
    case kWEventMouseDragStart:
      if (m_pressedMode != 0 && window) window->SetCaptureWidget(NilScriptObject());
      if (m_pressedMode == 1) {
        if (inside) {
          const bool release = event == kWEventMouseLeftUp;
          if (release) Widget_I::SendEvent(kWEventButtonClicked, input);
          if (!EndPressInside(release, input) && m_enable) {
            m_focusFlag = 1;
            m_fade = 1.0f;
          }
        }
        m_frameState = m_state == 1;
      }
      m_pressedMode = 0;
      break;
    default:
      break;
  }
}

void WButton_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (m_style.IsNil() || m_style->m_elementButton.IsNil() || !input) return Widget_I::SendEvent(event, input);
  Obj<Widget_I> keep(this);  // handlers may drop the button
  const UIElement_I* e = ButtonElement();
  const Vector2f p = PointerIn(input);
  const bool inside = p.x >= 0 && p.x < m_layout.computedSize.x && p.y >= 0 && p.y < m_layout.computedSize.y;
  TWindow_I* window = IsNilObject(input->window.Get()) ? nullptr : input->window.Get();
  switch (event) {
    case kWEventFocus:
    case kWEventFocusLost:
    case kWEventFocusActive:
      FocusEvent(event, input, window, e);
      break;
    case kWEventMouseLeftDown:
    case kWEventMouseLeftHold:
    case kWEventMouseLeftUp:
    case kWEventMouseDragStart:
      LeftButtonEvent(event, input, window, inside);
      break;
    case kWEventMouseRightDown:
      if (IgnoresPresses()) break;
      m_pressedMode = 2;
      if (window) window->SetCaptureWidget(this);
      break;
    case kWEventMouseRightUp:
      if (m_pressedMode != 0 && window) window->SetCaptureWidget(NilScriptObject());
      if (m_pressedMode == 2 && inside) Widget_I::SendEvent(kWEventButtonRightClicked, input);
      m_pressedMode = 0;
      break;
    case kWEventChildButtonDown:
      ChildButtonDown();
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

}  // namespace PM
