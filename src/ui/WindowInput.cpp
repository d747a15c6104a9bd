// A window's input pass: the frame's record against the state kept between frames, the walk over the
// widgets drawn in the last frame, effects, stale captures and the hover events.
#include <cmath>

#include "core/Clock.h"
#include "core/Log.h"
#include "script/object/MemberAccess.h"
#include "ui/WControl.h"
#include "ui/WEffect.h"
#include "ui/WEvent.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

namespace {

constexpr uint32_t kMemberControlText = 0x04FFF0EB;
// How far the held ray must move, in x or y, before a press becomes a drag (3.5 pixels at 512 per unit).
constexpr float kDragThreshold = 3.5f / 512.0f;

enum { kLeftDown = 0, kLeftHold = 1, kRightDown = 4, kRightHold = 5, kMiddleDown = 8 };

// The control that shows info texts for widgets of this style; null when there is none (or the style
// names a widget that cannot show a text).
WControl_I* InfoControl(Widget_I* w) {
  if (IsNilObject(w) || w->m_style.IsNil()) return nullptr;
  Widget_I* info = w->m_style->m_infoWidget.Get();
  if (IsNilObject(info) || !info->IsA(WControl_I::kClassId)) return nullptr;
  return static_cast<WControl_I*>(info);
}

void SetInfoText(WControl_I* info, const String& text, WidgetInput* r) {
  const Obj<WControl_I> keep(info);
  MemberSet<VString>(info, kMemberControlText, text);
  info->SendEvent(kWEventInfoChanged, r);
}

}  // namespace

void TWindow_I::ButtonFlags(WidgetInput& r) {
  const uint32_t cur = r.buttons & 7, prev = m_input.buttons & 7;
  const uint32_t bits[3] = {kInputButtonLeft, kInputButtonRight, kInputButtonMiddle};
  for (int i = 0; i < 3; ++i) {
    const uint32_t b = bits[i];
    bool* flags = r.buttonFlags + 4 * i;
    flags[1] = (r.buttons & b) != 0;
    flags[0] = cur == b && prev == 0;  // only a lone press from the released state counts
    flags[2] = cur != b && prev == b;
    flags[3] = flags[0] && (r.buttons & kInputDoubleClick) != 0;
  }
  m_input.buttons = r.buttons;
}

void TWindow_I::DragMachine(WidgetInput& r) {
  const bool* f = r.buttonFlags;
  r.drop = 0;
  if (!r.dragActive) {
    if (f[kLeftDown] || f[kRightDown]) {
      r.dragRayOrigin = r.rayOrigin;
      r.dragRayDirection = r.rayDirection;
      r.dragState = -1;
    } else if ((f[kLeftHold] || f[kRightHold]) && r.dragState == -2 &&
               (std::fabs(r.dragRayOrigin.x - r.rayOrigin.x) >= kDragThreshold ||
                std::fabs(r.dragRayOrigin.y - r.rayOrigin.y) >= kDragThreshold)) {
      r.dragState = -3;
      ReleaseCaptureWidget(r.dragSource.Get());
    }
  }
  if (!f[kLeftHold] && !f[kRightHold]) {
    if (r.dragActive == 1) {
      r.drop = 1;
    } else {
      ReleaseCaptureWidget(r.dragSource.Get());
      r.dragSource = nullptr;
    }
    r.dragState = 0;
    r.dragActive = 0;
  }
}

void TWindow_I::TraverseDrawn(WidgetInput& r) {
  WidgetDrawContext context;
  const Obj<Widget_I> root = m_rootWidget;
  // The drawn widget and its ancestors stay alive while its branch runs scripts' callbacks.
  Array<Obj<Widget_I>> chain;
  const Array<WeakObj<Widget_I>> drawn(m_drawn);
  bool reported = false;
  for (int32_t i = drawn.Count() - 1; i >= 0 && !root.IsNil(); --i) {
    chain.Clear();
    bool reached = false;
    for (Widget_I* w = drawn[i].Get(); !IsNilObject(w) && w->m_layout.inputVisibility != 0; w = w->m_parent.Get()) {
      if (chain.Count() >= kMaxWidgetDepth) {
        if (!reported)
          LogError("TWindow::DispatchInput: a widget lies deeper than ", kMaxWidgetDepth, " levels; skipped.");
        reported = true;
        break;
      }
      chain.Append(Obj<Widget_I>(w));
      if (w == root.Get()) {
        reached = true;
        break;
      }
    }
    if (!reached) continue;
    Widget_I* w = chain[0].Get();
    context.level = w->m_drawPriority;
    w->TraverseInput(&context, &r);
  }
  chain.Clear();
  const double seconds = double(GetPerformanceCounter() - m_creationTime) * GetClockRates().secondsPerTick;
  for (const Obj<WEffect_I>& effect : context.effects)
    if (!effect.IsNil()) effect->Update(seconds);
}

void TWindow_I::ReleaseStale(WidgetInput& r) {
  if (r.dragState == -1) r.dragState = 0;
  if (r.drop && !r.dragSource.IsNil()) {
    const Obj<Widget_I> source = r.dragSource.Lock();
    ReleaseCaptureWidget(source.Get());
    source->SendEvent(kWEventMouseDragRelease, &r);
    r.dragSource = nullptr;
  }
  if (!r.keyCaptureSeen && !r.keyCaptureWidget.IsNil()) {
    LogDebug("TWindow: undefined KeyCaptureWidget \"", r.keyCaptureWidget->m_name, "\" released.");
    const Obj<Widget_I> old = m_input.keyCaptureWidget;
    m_input.keyCaptureWidget = nullptr;
    r.keyCaptureWidget = nullptr;
    if (!old.IsNil()) old->SendEvent(kWEventKeyboardFocusLost, &r);
  }
  if (!r.captureSeen && !r.captureWidget.IsNil()) {
    LogDebug("TWindow: undefined CaptureWidget \"", r.captureWidget->m_name, "\" released.");
    r.captureWidget = nullptr;
    m_input.captureWidget = nullptr;
    m_input.captureMenu = nullptr;
  }
  if (!r.buttonFlags[kLeftHold] && !r.buttonFlags[kRightHold] && !r.captureMenu.IsNil()) {
    LogDebug("TWindow: CaptureMenu released.");
    r.captureMenu = nullptr;
    m_input.captureMenu = nullptr;
  }
}

void TWindow_I::HoverEvents(WidgetInput& r, Widget_I* before) {
  const bool refresh = m_refreshInfo;
  m_refreshInfo = false;
  const Obj<Widget_I> h = r.hoverWidget;
  const bool changed = h.Get() != before;
  if (changed) {
    if (!IsNilObject(before)) {
      before->SendEvent(kWEventFocusLost, &r);
      WControl_I* info = InfoControl(before);
      if (info && info->GetText().Length() > 0) SetInfoText(info, String(), &r);
    }
    if (!h.IsNil()) h->SendEvent(kWEventFocus, &r);
  }
  if (!h.IsNil() && (changed || refresh)) {
    WControl_I* info = InfoControl(h.Get());
    if (info && !(h->m_infoText == info->GetText())) SetInfoText(info, h->m_infoText, &r);
  }
  if (h.IsNil())
    SetCursor(0);
  else
    h->SendEvent(kWEventFocusActive, &r);
}

void TWindow_I::DispatchInput(WidgetInput* input) {
  const Obj<TWindow_I> keep(this);  // a callback may drop the window
  WidgetInput& r = *input;
  WidgetInput& s = m_input;
  r.inputBlocked = 0;
  r.previousWidget = nullptr;
  r.hoverWidget = s.hoverWidget;
  r.captureWidget = s.captureWidget;
  r.captureMenu = s.captureMenu;
  // A caller that leaves the key capture empty gets the window's, so a stale one is still found.
  if (r.keyCaptureWidget.IsNil()) r.keyCaptureWidget = s.keyCaptureWidget;
  r.captureSeen = 0;
  r.keyCaptureSeen = 0;
  r.dragRayOrigin = s.dragRayOrigin;
  r.dragRayDirection = s.dragRayDirection;
  r.dragSource = s.dragSource.Get();
  r.dragActive = s.dragActive;
  r.dragState = s.dragState;
  const Vector3f& vr = m_virtualResolution;
  r.virtualScreen[0] = std::floor(-0.5f * vr.x);
  r.virtualScreen[1] = std::floor(0.5f * vr.x);
  r.virtualScreen[2] = std::floor(-0.5f * vr.y);
  r.virtualScreen[3] = std::floor(0.5f * vr.y);

  ButtonFlags(r);
  if ((r.buttonFlags[kLeftDown] || r.buttonFlags[kRightDown] || r.buttonFlags[kMiddleDown]) &&
      !s.keyCaptureWidget.IsNil()) {
    const Obj<Widget_I> old = s.keyCaptureWidget;
    s.keyCaptureWidget = nullptr;
    if (r.keyCaptureWidget.Get() == old.Get()) r.keyCaptureWidget = nullptr;
    old->SendEvent(kWEventKeyboardFocusLost, &r);
  }
  DragMachine(r);

  const Obj<Widget_I> before = r.hoverWidget;
  const int32_t pendingBefore = r.hoverPending;
  if (r.character != 0 && !s.keyCaptureWidget.IsNil() && !r.keyConsumed) {
    const Obj<Widget_I> capture = s.keyCaptureWidget;
    capture->SendEvent(kWEventKeyDown, &r);
  }
  WidgetWalkGuard::BeginFrame();
  TraverseDrawn(r);
  WidgetWalkGuard::EndFrame();
  ReleaseStale(r);
  if (r.hoverPending || pendingBefore == 0) r.hoverWidget = nullptr;
  HoverEvents(r, before.Get());

  s.previousWidget = r.previousWidget;
  s.hoverWidget = r.hoverWidget;
  s.dragSource = r.dragSource.Get();
  s.dragRayOrigin = r.dragRayOrigin;
  s.dragRayDirection = r.dragRayDirection;
  s.dragState = r.dragState;
  s.dragActive = r.dragActive;
}

}  // namespace PM
