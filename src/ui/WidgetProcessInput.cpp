// A widget's part of the input pass: deferral by priority, the children first (the topmost drawn first),
// then the hover, capture, button, drag, wheel and key events of the widget itself.
#include <algorithm>

#include "ui/WButton.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/WHandler.h"
#include "ui/WPopup.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

namespace {

// The twelve button events in the order of the record's button flags.
const uint32_t kButtonEvents[12] = {
    kWEventMouseLeftDown,   kWEventMouseLeftHold,   kWEventMouseLeftUp,   kWEventMouseLeftDoubleClick,
    kWEventMouseRightDown,  kWEventMouseRightHold,  kWEventMouseRightUp,  kWEventMouseRightDoubleClick,
    kWEventMouseMiddleDown, kWEventMouseMiddleHold, kWEventMouseMiddleUp, kWEventMouseMiddleDoubleClick,
};

bool AnyFlag(const WidgetInput& r, int first) {
  return r.buttonFlags[first] || r.buttonFlags[first + 4] || r.buttonFlags[first + 8];
}

// The capture `w` (nil or a widget) is no child that an index would pass over.
bool NeverPassedOver(const Widget_I* w, const void* nil) { return !w || w == nil || !w->IdleOutOfView(); }

bool HasDragHandler(const Widget_I& w) {
  for (const Obj<WHandler_I>& h : w.m_handlerArray)
    if (!h.IsNil() && h->m_handle == kWEventMouseDragStart) return true;
  return false;
}

// A press outside the open popup's menu tree closes it.
void ClosePopupOnPress(Widget_I* self, WidgetInput* r) {
  Widget_I* popup = r->openPopup.Get();
  if (IsNilObject(popup) || !AnyFlag(*r, 0)) return;
  if (self->IsA(WButton_I::kClassId) && static_cast<WButton_I*>(self)->m_subMenu.Get() == popup) return;
  Widget_I* outermost = nullptr;
  int32_t steps = 0;
  for (Widget_I* w = self; !IsNilObject(w) && steps < kMaxWidgetDepth; w = w->m_parent.Get(), ++steps)
    if (w->IsA(WPopup_I::kClassId)) outermost = w;
  if (outermost == popup) return;
  const Obj<Widget_I> held(popup);
  held->SendEvent(kWEventHideWidget, r);
}

}  // namespace

// The caller holds the widget for the call.
void Widget_I::TraverseInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_drawPriority > context->level) {
    context->deferred.Append(Obj<Widget_I>(this));
  } else {
    WidgetWalkGuard guard("Widget::TraverseInput", this);
    if (guard.Entered()) ProcessInput(context, input);
  }
  for (int32_t i = 0; i < m_effectArray.Count(); ++i) {
    context->effects.Append(m_effectArray[i]);
    context->effectOwners.Append(Obj<Widget_I>(this));
  }
}

void Widget_I::TraverseChildrenInput(WidgetDrawContext* context, WidgetInput* input) {
  const WidgetInput& r = *input;
  // Each child is held for its step; callbacks may change the array meanwhile, so its length is
  // read again at every step.
  const void* nil = NilObject();
  // A key goes to every widget, and a captured widget takes input wherever it lies: no child is
  // passed over then.
  const bool passOver = r.character == 0 && r.virtualKey == 0 && NeverPassedOver(r.captureWidget.Get(), nil) &&
                        NeverPassedOver(r.keyCaptureWidget.Get(), nil);
  for (int32_t i = m_widgetArray.Count() - 1; i >= 0; --i) {
    if (const OutOfViewIndex* index = passOver ? UsableIndex(context->level) : nullptr) {
      i = index->KeptUpTo(std::min(i, m_widgetArray.Count() - 1));
      if (i < 0) break;
    }
    if (i >= m_widgetArray.Count() || m_widgetArray[i].Get() == nil || !ChildTakesInput(i)) continue;
    const Obj<Widget_I> child = m_widgetArray[i];
    child->TraverseInput(context, input);
  }
}

// The caller holds the widget for the call, as TraverseInput's callers do.
void Widget_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  WidgetInput& r = *input;
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  const int32_t pending = r.hoverPending;
  TraverseChildrenInput(context, input);
  const void* nil = NilObject();
  if (r.inputBlocked) {
    m_layout.ownInputFlags = 0;
    return;
  }
  int32_t f = r.hoverPending != pending ? 4 : 0;
  const bool noCapture = r.captureWidget.Get() == nil;
  const bool noMenu = r.captureMenu.Get() == nil;
  const bool underMenu = !noMenu && IsSelfOrBelow(r.captureMenu.Get());
  if (!noCapture && r.captureWidget.Get() == this) {
    if (m_enable) r.captureSeen = 1;
    if (noMenu || underMenu) {
      r.hoverPending = 0;
      r.hoverWidget = this;
      f |= 1;
    }
  }
  if (r.keyCaptureWidget.Get() == this && m_enable) r.keyCaptureSeen = 1;  // never nil: this is a widget
  if (((noCapture && noMenu) || underMenu) && r.hoverPending) {
    if (!(f & 1) && !m_focusTransparent) f |= r.HitTest(&m_layout);
    if (f & 1) {
      if (!m_focusTransparent) r.hoverPending = 0;
      r.hoverWidget = this;
    }
  }
  // A row that the layout, drawing and input passed over as out of view takes input after all (it holds
  // the capture, or the passes visited every row): they visit it again.
  if (f != 0 && IdleOutOfView()) OutOfViewIndex::NoteEdit();
  m_layout.ownInputFlags = f;

  if ((f & 1) && m_enable) {
    ClosePopupOnPress(this, input);
    for (int i = 0; i < 12; ++i)
      if (r.buttonFlags[i]) SendEvent(kButtonEvents[i], input);
    if (r.dragState < 0 && HasDragHandler(*this)) {
      r.dragSource = this;
      if (r.dragState == -3) {
        r.dragState = 1;
        r.dragActive = 1;
        SendEvent(kWEventMouseDragStart, input);
      } else {
        r.dragState = -2;
        if (TWindow_I* window = r.window.Get(); !IsNilObject(window)) window->SetCaptureWidget(this);
      }
    }
    if (r.dragActive) SendEvent(kWEventMouseDragActive, input);
    if (r.drop) SendEvent(kWEventMouseDragDrop, input);
  }
  if ((f & 5) && m_enable) {
    if (r.wheel != 0.0f) SendEvent(kWEventMouseWheelY, input);
    if (AnyFlag(r, 0)) SendEvent(kWEventChildButtonDown, input);
    if (AnyFlag(r, 1)) SendEvent(kWEventChildButtonHold, input);
  }
  const bool key = r.character != 0 || r.virtualKey != 0;
  if (key && !r.keyConsumed && m_enable) SendEvent(kWEventKeyDown, input);
  if (m_modal) {
    if (key) r.keyConsumed = 1;
    r.wheel = 0.0f;
    r.buttons = 0;
    // All twelve flags: code that reads them after a modal sibling sees no button at all.
    for (bool& flag : r.buttonFlags) flag = false;
    r.inputBlocked = 1;
  }
}

}  // namespace PM
