#include "ui/WFrame.h"

#include <algorithm>
#include <cmath>

#include "core/HighResTimer.h"
#include "core/Log.h"
#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

double (*WFrame_I::s_nowSeconds)() = &HighResTimer::GetNowSeconds;

void ElementAnchors(float size, float low, float high, float out[6]) {
  out[0] = 0.0f;
  out[1] = size;
  out[2] = low;
  out[3] = size - high;
  out[4] = std::floor(size * 0.5f);
  out[5] = std::floor((size - high + low) * 0.5f);
}

bool RefusesWidgetCycle(const char* operation, const Widget_I* owner, const Widget_I* value) {
  if (IsNilObject(value) || !owner->IsSelfOrBelow(value)) return false;
  LogError(operation, ": \"", value->m_name, "\" cannot be placed below itself or its descendant \"", owner->m_name,
           "\".");
  return true;
}

void WFrame_I::Define() {
  DefineUIClass<WFrame_I, Widget_I>();
  const MemberDef members[] = {
      AccessorMember<&WFrame_I::GetTitleWidget, &WFrame_I::SetTitleWidget>(0x01FFF0DB, "TitleWidget"),
      LayoutFieldMember<&WidgetLayout::clipChildren>(0x02FFF0DB, "ClipChildren"),
      FieldMember<&WFrame_I::m_dragCaps>(0x03FFF0DB, "DragCaps"),
  };
  DefineMembers(members);
}

void WFrame_I::SetTitleWidget(Widget_I* title) {
  if (!title) title = static_cast<Widget_I*>(NilScriptObject());
  if (RefusesWidgetCycle("WFrame::SetTitleWidget", this, title)) return;
  OutOfViewIndex::NoteEdit();
  m_titleWidget = title;
}

void WFrame_I::Borders(Vector3f& low, Vector3f& high) {
  const UIElement_I* e = GetUIElement();
  low = IsNilObject(e) ? Vector3f{0, 0, 0} : e->m_borderMin;
  high = IsNilObject(e) ? Vector3f{0, 0, 0} : e->m_borderMax;
}

WidgetLayout* WFrame_I::CalcDimMin() {
  WidgetWalkGuard guard("WFrame::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this, true);
  if (!m_titleWidget.IsNil()) RaiseMinimum(m, m_titleWidget->CalcDimMin()->outerMinimum);  // counted even while hidden
  Vector3f low, high;
  Borders(low, high);
  m.x += low.x + high.x;
  m.y += low.y + high.y;
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WFrame_I::BuildClientRecord(const Vector3f& low, const Vector3f& high, const WidgetLayout* parent) {
  WidgetLayout& c = m_clientLayout;
  c = m_layout;
  const Vector3f both{low.x + high.x, low.y + high.y, low.z + high.z};
  c.position = {c.position.x + low.x, c.position.y + low.y, c.position.z + low.z};
  c.computedPosition = {c.computedPosition.x + low.x, c.computedPosition.y + low.y, c.computedPosition.z + low.z};
  c.dimension = {c.dimension.x - both.x, c.dimension.y - both.y, c.dimension.z - both.z};
  c.computedSize = {c.computedSize.x - both.x, c.computedSize.y - both.y, c.computedSize.z - both.z};
  c.PlaceIn(parent->world);
  if (!m_layout.clipChildren) {
    c.InheritClip(*parent);
    return;
  }
  const float x = c.world.m[12], y = c.world.m[13];
  c.ClipTo(*parent, x, x + c.computedSize.x, y, y + c.computedSize.y);
}

void WFrame_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WFrame::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  Vector3f low, high;
  Borders(low, high);
  BuildClientRecord(low, high, parent);
  LayOutChildren(&m_clientLayout);
  if (m_titleWidget.IsNil()) return;
  WidgetLayout& t = m_titleLayout;
  t = m_layout;
  const bool ownHeight = !m_style.IsNil() && m_style->m_elementFrame.IsNil();
  t.computedSize.x = m_layout.computedSize.x - (low.x + high.x);
  t.computedSize.y = ownHeight ? m_titleWidget->m_layout.computedSize.y : high.y;
  t.computedPosition = {low.x, m_layout.computedSize.y - high.y, 0};
  t.PlaceIn(m_layout.world);
  m_titleWidget->UpdateLayoutTree(&t, 0);
}

void WFrame_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  if (m_titleWidget.Get() != NilObject()) m_titleWidget->TraverseInput(context, input);
  Widget_I::ProcessInput(context, input);
}

Vector2f WFrame_I::PointerIn(const WidgetInput* input) {
  RefreshSkippedWorld();
  m_layout.UpdateInverse();
  Vector3f o, d;
  TransformPoint(o, input->rayOrigin, m_layout.inverseWorld);
  TransformVector(d, input->rayDirection, m_layout.inverseWorld);
  if (d.z != 0.0f) {
    const float t = -o.z / d.z;
    return {o.x + t * d.x, o.y + t * d.y};
  }
  return {o.x, o.y};
}

int32_t WFrame_I::HitPart(Vector2f point) {
  if (m_style.IsNil()) return -1;
  const UIElement_I* e = m_style->m_elementDialog.Get();
  if (IsNilObject(e)) return -1;
  // A point outside the integer range hits nothing rather than wrapping onto an atom.
  const float px = std::floor(point.x), py = std::floor(point.y);
  if (!(std::fabs(px) < 2147483520.0f && std::fabs(py) < 2147483520.0f)) return -1;
  float x[6], y[6];
  ElementAnchors(m_layout.computedSize.x, e->m_borderMin.x, e->m_borderMax.x, x);
  ElementAnchors(m_layout.computedSize.y, e->m_borderMin.y, e->m_borderMax.y, y);
  return e->HitTest(int32_t(px), int32_t(py), 6, x, 6, y, 0, nullptr);
}

bool WFrame_I::FrameTakesEvents(const WidgetInput* input) const {
  return input && !m_style.IsNil() && !m_style->m_elementFrame.IsNil();
}

void WFrame_I::EndDrag(const WidgetInput* input) {
  TWindow_I* window = input->window.Get();
  if (m_dragMode == 0 || IsNilObject(window) || window->GetCaptureWidget() != this) return;
  window->SetCaptureWidget(NilScriptObject());
  m_focusFlag = 1;
}

void WFrame_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (!FrameTakesEvents(input)) return Widget_I::SendEvent(event, input);
  switch (event) {
    case kWEventMouseLeftDown:
      m_dragMode = 0;
      break;
    case kWEventFocus:
      m_focusFlag = 1;
      break;
    case kWEventFocusLost:
      m_focusFlag = 0;
      m_closeFlags = 0;
      break;
    case kWEventMouseLeftUp:
      EndDrag(input);
      m_closeFlags &= ~1u;
      m_dragMode = 0;
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WFrame_I::StepFade(bool rising) {
  const double now = s_nowSeconds();
  const float step = float((now - m_fadeClock) * 10.0);
  m_fadeClock = now;
  m_fade = std::clamp(rising ? m_fade + step : m_fade - step, 0.0f, 1.0f);
}

void WFrame_I::DrawTitleAndChildren(WidgetDrawContext* context, RenderEngine* engine) {
  const void* nil = NilObject();
  if (m_titleWidget.Get() != nil) m_titleWidget->Draw(context, engine);
  for (int32_t i = 0; i < m_widgetArray.Count(); ++i) {
    if (const OutOfViewIndex* index = UsableIndex(context->level)) {
      i = index->KeptFrom(i);
      if (i >= m_widgetArray.Count()) break;
    }
    Widget_I* child = m_widgetArray[i].Get();
    if (child != nil) child->Draw(context, engine);
  }
}

void WFrame_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  if (!m_style.IsNil() && !m_style->m_elementFrame.IsNil()) return DrawElement(context, engine, ClassId::WFrame);
  if (!m_style.IsNil()) DrawTiles(context, engine);
  DrawTitleAndChildren(context, engine);
}

void WFrame_I::DrawElement(WidgetDrawContext* context, RenderEngine* engine, uint32_t classId) {
  UIElement_I* e = GetUIElement();
  Vector3f low, high;
  Borders(low, high);
  float x[6], y[6];
  ElementAnchors(m_layout.computedSize.x, low.x, high.x, x);
  ElementAnchors(m_layout.computedSize.y, low.y, high.y, y);
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  StepFade((m_layout.ownInputFlags & 5) != 0);
  const bool dialog = classId == ClassId::WDialog;
  const bool overClose = dialog && (m_closeFlags & 4), pressed = (m_closeFlags & 1) != 0;
  const float a = context->color.w;
  const float alpha[8] = {a,
                          a * m_fade,
                          m_frameState != 0 ? a : 0.0f,
                          a,
                          overClose && pressed ? 0.0f : a,
                          overClose && !pressed ? a : 0.0f,
                          overClose && pressed ? a : 0.0f,
                          0.0f};
  Vector4f colors[8];
  for (int i = 0; i < 8; ++i) colors[i] = {context->color.x, context->color.y, context->color.z, alpha[i]};
  if (!IsNilObject(e)) e->Draw(context, engine, 6, x, 6, y, 8, colors);
  DrawTitleAndChildren(context, engine);
}

}  // namespace PM
