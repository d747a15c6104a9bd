#include "ui/WDialog.h"

#include <cmath>

#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/Window.h"

namespace PM {

namespace {

constexpr int32_t kDragMove = 1, kDragResize = 2, kCloseButton = 4;

}  // namespace

void WDialog_I::Define() { DefineUIClass<WDialog_I, WFrame_I>(); }

void WDialog_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  DrawElement(context, engine, ClassId::WDialog);
}

int32_t WDialog_I::DragModeAt(Vector2f p) {
  const UIElement_I* e = m_style.IsNil() ? nullptr : m_style->m_elementDialog.Get();
  if (IsNilObject(e) || HitPart(p) == kCloseButton) return 0;
  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  if (p.x < 0 || p.x >= w || p.y < 0 || p.y >= h) return 0;
  if ((m_dragCaps & 1) && p.y >= h - e->m_borderMax.y) return kDragMove;
  if ((m_dragCaps & 2) && p.x >= w - e->m_borderMax.x && p.y < e->m_borderMin.y) return kDragResize;
  return 0;
}

// The close button's events are raised on the widget alone: the frame would take the press that raised
// them as its own.
bool WDialog_I::CloseButtonEvent(uint32_t event, WidgetInput* input, Vector2f local) {
  const bool closeEvent = event == kWEventMouseLeftDown || event == kWEventFocusActive || event == kWEventMouseLeftUp;
  if (!closeEvent || !FrameTakesEvents(input)) return false;
  const bool over = HitPart(local) == kCloseButton;
  switch (event) {
    case kWEventMouseLeftDown: {
      if (!over) return false;
      m_closeFlags |= 1;
      m_dragMode = kCloseButton;
      TWindow_I* window = input->window.Get();
      if (!IsNilObject(window)) window->SetCaptureWidget(this);
      Widget_I::SendEvent(kWEventCloseButtonDown, input);
      Widget_I::SendEvent(kWEventMouseLeftDown, input);
      return true;
    }
    case kWEventFocusActive:
      m_closeFlags = over ? (m_closeFlags | 4u) : (m_closeFlags & ~4u);
      return false;
    case kWEventMouseLeftUp: {
      const bool clicked = m_dragMode == kCloseButton && over && (m_closeFlags & 1);
      EndDrag(input);  // before the click is raised, as the frame's own release would
      if (clicked) Widget_I::SendEvent(kWEventCloseButtonClicked, input);
      return false;
    }
    default:
      return false;
  }
}

// Events the dialog handles to the end go on to the widget, not the frame: the frame's press and release
// would end the drag or close press that the dialog has just begun or is still carrying out.
void WDialog_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (m_style.IsNil() || !input) return WFrame_I::SendEvent(event, input);
  TWindow_I* window = IsNilObject(input->window.Get()) ? nullptr : input->window.Get();
  // The pointer in the parent's frame: the dialog's own frame moves with every step of a drag.
  const Vector2f local = PointerIn(input);
  const Vector2f p{local.x + m_layout.position.x, local.y + m_layout.position.y};
  if (event == kWEventMouseLeftDown) {
    const int32_t mode = DragModeAt(local);
    if (mode != 0) {
      m_dragMode = mode;
      m_dragOriginPoint = p;
      m_dragOriginValue = mode == kDragMove ? m_layout.position : m_layout.dimension;
      if (window) window->SetCaptureWidget(this);
      return Widget_I::SendEvent(event, input);
    }
  } else if (event == kWEventMouseLeftHold && (m_dragMode == kDragMove || m_dragMode == kDragResize)) {
    const float dx = p.x - m_dragOriginPoint.x, dy = p.y - m_dragOriginPoint.y;
    if (m_dragMode == kDragMove) {
      m_dragOriginValue = {std::floor(dx + m_dragOriginValue.x), std::floor(dy + m_dragOriginValue.y),
                           m_layout.position.z};
      m_layout.position = m_dragOriginValue;
      m_dragOriginPoint = p;  // the origin value now holds this step
    } else {
      const float width = std::floor(dx + m_dragOriginValue.x), height = std::floor(m_dragOriginValue.y - dy);
      if (width >= 1.0f && height >= 1.0f) {
        m_dragOriginValue.y = height;
        m_layout.dimension = {width, height, m_layout.dimension.z};
        m_dragOriginPoint.y = p.y;
      }
    }
    m_focusFlag = 0;
    return Widget_I::SendEvent(event, input);
  } else if (event == kWEventMouseLeftUp && (m_dragMode == kDragMove || m_dragMode == kDragResize)) {
    if (window && window->GetCaptureWidget() == this) window->SetCaptureWidget(NilScriptObject());
    m_dragMode = 0;
    m_focusFlag = 1;
    return Widget_I::SendEvent(event, input);
  }
  if (CloseButtonEvent(event, input, local)) return;
  WFrame_I::SendEvent(event, input);
}

}  // namespace PM
