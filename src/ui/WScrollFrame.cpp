#include "ui/WScrollFrame.h"

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "platform/WindowMessages.h"
#include "render/InputTracker.h"
#include "ui/BarParts.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

namespace {
constexpr float kScrollStep = 32.0f;
}  // namespace

void WScrollFrame_I::Define() {
  DefineUIClass<WScrollFrame_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WScrollFrame_I::m_scrollXMode>(0x01FFF0E3, "ScrollXMode"),
      FieldMember<&WScrollFrame_I::m_scrollYMode>(0x02FFF0E3, "ScrollYMode"),
  };
  DefineMembers(members);
}

Widget_I* WScrollFrame_I::Content() const {
  if (m_widgetArray.IsEmpty() || m_widgetArray[0].IsNil()) return nullptr;
  return m_widgetArray[0].Get();
}

WScrollFrame_I::Geometry WScrollFrame_I::Measure() {
  Geometry g;
  const UIElement_I* e = GetUIElement();
  if (!IsNilObject(e)) {
    g.arrow = e->m_arrowDim;
    g.bar = e->m_barDim;
  }
  if (const Widget_I* c = Content()) {
    g.cw = c->m_layout.minimumSize.x;
    g.ch = c->m_layout.minimumSize.y;
  }
  const Vector3f& d = m_layout.computedSize;
  g.vb = m_scrollYMode >= 1 ? g.bar.x : 0.0f;
  g.hb = m_scrollXMode >= 1 ? g.bar.y : 0.0f;
  g.viewW = d.x - g.vb;
  g.viewH = d.y - g.hb;
  g.trackW = BarTrack(g.viewW - 2.0f * g.arrow.x);
  g.trackH = BarTrack(g.viewH - 2.0f * g.arrow.y);
  g.thumbW = BarThumb(g.trackW, g.viewW, g.cw);
  g.thumbH = BarThumb(g.trackH, g.viewH, g.ch);
  if (const Widget_I* c = Content()) {
    const Vector3f& p = c->m_layout.position;
    if (g.cw > g.viewW) g.offX = BarThumbOffset(g.trackW, g.thumbW, -p.x / (g.cw - g.viewW));
    if (g.ch > g.viewH) g.offY = BarThumbOffset(g.trackH, g.thumbH, p.y / (g.ch - g.viewH));
  }
  g.showX = m_scrollXMode == 1 || (m_scrollXMode == 2 && g.viewW < g.cw);
  g.showY = m_scrollYMode == 1 || (m_scrollYMode == 2 && g.viewH < g.ch);
  return g;
}

int32_t WScrollFrame_I::HitPart(const Geometry& g, float x, float y) const {
  const Vector3f& d = m_layout.computedSize;
  if (g.showX && y >= 0 && y < g.bar.y) {
    if (x >= 0 && x < g.arrow.x) return 0;
    if (x >= d.x - g.vb - g.arrow.x && x < d.x - g.vb) return 1;
    if (x >= g.arrow.x + g.offX && x < g.arrow.x + g.offX + g.thumbW) return 2;
  }
  if (g.showY && x >= d.x - g.bar.x && x < d.x) {
    if (y >= g.hb && y < g.hb + g.arrow.y) return 3;
    if (y >= d.y - g.arrow.y && y < d.y) return 4;
    const float top = d.y - g.arrow.y - g.offY;
    if (y >= top - g.thumbH && y < top) return 5;
  }
  return -1;
}

void WScrollFrame_I::StepX(const Geometry& g, float d) {
  Widget_I* c = Content();
  if (!c) return;
  c->m_layout.position.x = BarClamp(c->m_layout.position.x + d, -g.RangeX(), 0.0f);
  c->m_layout.alignmentModeX = kAlignMin;
}

void WScrollFrame_I::StepY(const Geometry& g, float d) {
  Widget_I* c = Content();
  if (!c) return;
  c->m_layout.position.y = BarClamp(c->m_layout.position.y + d, 0.0f, g.RangeY());
  c->m_layout.alignmentModeY = kAlignMax;
}

WidgetLayout* WScrollFrame_I::CalcDimMin() {
  WidgetWalkGuard guard("WScrollFrame::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this, true);
  const UIElement_I* e = GetUIElement();
  if (!IsNilObject(e)) {
    if (m_scrollYMode >= 1) m.x += e->m_barDim.x;
    if (m_scrollXMode >= 1) m.y += e->m_barDim.y;
  }
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WScrollFrame_I::ClampContent(Widget_I* content) {
  Vector3f& p = content->m_layout.position;
  const Vector3f& size = content->m_layout.minimumSize;
  const Vector3f& client = m_clientLayout.computedSize;
  if (m_scrollXMode >= 1 && p.x > 0.0f) {
    if (size.x - p.x < client.x) {
      p.x = std::max(size.x - client.x, 0.0f);
      LogDebug("WScrollFrame: PosX clamped.");
    }
    if (m_layout.resizeModeX == kResizeMax && size.x < m_layout.dimension.x) {
      p.x = std::max(size.x - m_layout.dimension.x, 0.0f);
      LogDebug("WScrollFrame: PosX clamped max.");
    }
  }
  if (m_scrollYMode >= 1 && p.y > 0.0f) {
    if (size.y - p.y < client.y) {
      p.y = std::max(size.y - client.y, 0.0f);
      LogDebug("WScrollFrame: PosY clamped.");
    }
    if (m_layout.resizeModeY == kResizeMax && size.y < m_layout.dimension.y) {
      p.y = std::max(size.y - m_layout.dimension.y, 0.0f);
      LogDebug("WScrollFrame: PosY clamped max.");
    }
  }
}

void WScrollFrame_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WScrollFrame::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  const Geometry g = Measure();
  // The horizontal bar lies below the client area, the vertical one at its right.
  BuildClientRecord({0, g.hb, 0}, {g.vb, 0, 0}, parent);
  if (Widget_I* content = Content()) ClampContent(content);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
}

bool WScrollFrame_I::StepByKey(const Geometry& g, const WidgetInput* input) {
  switch (input->virtualKey) {
    case VK_PRIOR:
      if (g.showY) StepY(g, -g.ch);
      return true;
    case VK_NEXT:
      if (g.showY) StepY(g, g.ch);
      return true;
    case VK_LEFT:
      if (g.showX) StepX(g, kScrollStep);
      return true;
    case VK_RIGHT:
      if (g.showX) StepX(g, -kScrollStep);
      return true;
    case VK_UP:
      if (g.showY) StepY(g, -kScrollStep);
      return true;
    case VK_DOWN:
      if (g.showY) StepY(g, kScrollStep);
      return true;
    default:
      return input->character == KeyCode4("WLDN") || input->character == KeyCode4("WLUP");
  }
}

// Events go on to the widget, not the frame: the scroll frame handles its own bars, wheel and keys.
void WScrollFrame_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (m_style.IsNil() || m_style->m_elementScroll.IsNil() || !input) return Widget_I::SendEvent(event, input);
  Vector3f mouse;
  input->ProjectRay(&mouse, &m_layout);
  const Geometry g = Measure();
  Widget_I* content = Content();
  switch (event) {
    case kWEventMouseLeftDown: {
      m_scrollDragMode = 0;
      const int32_t part = HitPart(g, mouse.x, mouse.y);
      if (part < 0) break;
      static constexpr int32_t kModes[6] = {4, 5, 1, 6, 7, 2};
      m_scrollDragMode = kModes[part];
      if (part == 0) StepX(g, kScrollStep);
      if (part == 1) StepX(g, -kScrollStep);
      if (part == 3) StepY(g, kScrollStep);
      if (part == 4) StepY(g, -kScrollStep);
      if ((part == 2 || part == 5) && content) {
        m_dragMouse = mouse;
        m_dragPosition = content->m_layout.position;
        if (part == 2) content->m_layout.alignmentModeX = kAlignMin;
        if (part == 5) content->m_layout.alignmentModeY = kAlignMax;
      }
      PressBarPart(m_partStates[part], this, input);
      break;
    }
    case kWEventMouseLeftHold: {
      if (!content) break;
      Vector3f& p = content->m_layout.position;
      if (m_scrollDragMode == 1) {
        const float span = g.trackW - g.thumbW;
        p.x = span != 0.0f ? m_dragPosition.x - g.RangeX() * (mouse.x - m_dragMouse.x) / span : 0.0f;
        p.x = BarClamp(p.x, -g.RangeX(), 0.0f);
      } else if (m_scrollDragMode == 2) {
        const float span = g.trackH - g.thumbH;
        p.y = span != 0.0f ? m_dragPosition.y - g.RangeY() * (mouse.y - m_dragMouse.y) / span : 0.0f;
        p.y = BarClamp(p.y, 0.0f, g.RangeY());
      }
      break;
    }
    case kWEventMouseLeftUp:
      ReleaseBarParts(m_scrollDragMode, m_partStates, 6, this, input);
      break;
    case kWEventMouseWheelY:
      // Taking the wheel here keeps an enclosing scroll frame still.
      if (m_scrollDragMode != 0 || !content) break;
      content->m_layout.position.y =
          BarClamp(content->m_layout.position.y - kScrollStep * input->wheel, 0.0f, g.RangeY());
      content->m_layout.alignmentModeY = kAlignMax;
      input->wheel = 0.0f;
      break;
    case kWEventFocusActive:
      if (NoCapture(input)) HoverBarParts(m_partStates, 6, HitPart(g, mouse.x, mouse.y));
      break;
    case kWEventFocusLost:
      HoverBarParts(m_partStates, 6, -1);
      break;
    case kWEventKeyDown:
      if (m_layout.ownInputFlags != 0 && StepByKey(g, input)) input->keyConsumed = 1;
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WScrollFrame_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0 || m_style.IsNil()) return;
  const Geometry g = Measure();
  const Vector3f& d = m_layout.computedSize;
  const float top = d.y - g.arrow.y - g.offY;
  float h[9], v[9];
  BarAlongAnchors(d.x - g.vb, g.arrow.x, g.arrow.x + g.offX, g.arrow.x + g.offX + g.thumbW, h);
  h[7] = d.x - g.bar.x;  // the vertical bar's left edge and the frame's right edge
  h[8] = d.x;
  BarAlongAnchors(d.y, g.arrow.y, top - g.thumbH, top, v);
  v[7] = g.hb;  // the vertical bar's lower end and its lower arrow's upper end
  v[8] = g.hb + g.arrow.y;
  // 0 and 1 the horizontal and vertical tracks, 2 the corner between them, then three colours
  // (normal, mouse over, pressed) for each of the six parts from 3; the rest stay transparent.
  Vector4f colors[26];
  for (Vector4f& c : colors) c = ContextColor(context, 0.0f);
  colors[0] = ContextColor(context, g.showX ? context->color.w : 0.0f);
  colors[1] = ContextColor(context, g.showY ? context->color.w : 0.0f);
  colors[2] = ContextColor(context, g.showX && g.showY ? context->color.w : 0.0f);
  for (int part = 0; part < 6; ++part)
    BarPartColors(context, m_partStates[part], part < 3 ? g.showX : g.showY, colors + 3 + 3 * part);
  DrawBarElement(GetUIElement(), context, engine, m_layout, h, v, 26, colors);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
