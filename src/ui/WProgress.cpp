#include "ui/WProgress.h"

#include <algorithm>
#include <cmath>

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

namespace {

struct ProgressMeasures {
  Vector3f low{0, 0, 0}, high{0, 0, 0}, defaultDim{0, 0, 0};
};

ProgressMeasures MeasuresOf(const UIElement_I* e) {
  if (IsNilObject(e)) return {};
  return {e->m_borderMin, e->m_borderMax, e->m_defaultDim};
}

}  // namespace

void WProgress_I::Define() {
  DefineUIClass<WProgress_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WProgress_I::m_progress>(0x01FFF0CC, "Progress"),
      FieldMember<&WProgress_I::m_barColor>(0x02FFF0CC, "BarColor"),
  };
  DefineMembers(members);
}

WidgetLayout* WProgress_I::CalcDimMin() {
  WidgetWalkGuard guard("WProgress::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this);
  RaiseMinimum(m, m_label.CalcDimMin(GetFontStyle())->minimumSize);
  const ProgressMeasures e = MeasuresOf(GetUIElement());
  m.x += e.low.x + e.high.x;
  m.y += e.low.y + e.high.y;
  RaiseMinimum(m, DefaultSize(m_layout.dimension, e.defaultDim));
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WProgress_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WProgress::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  const ProgressMeasures e = MeasuresOf(GetUIElement());
  if (keepSize == 0) {
    m_layout.computedSize = DefaultSize(m_layout.dimension, e.defaultDim);
    m_layout.ApplyParent(*parent);
  }
  CommitLayout(parent, 1);
  BuildClientRecord(e.low, e.high, parent);
  m_label.CommitLayout(m_clientLayout);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
}

void WProgress_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  UIElement_I* e = GetUIElement();
  const ProgressMeasures b = MeasuresOf(e);
  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  const float left = b.low.x, right = w - b.high.x, bottom = b.low.y, top = h - b.high.y;
  const float p = m_progress;
  float bx0 = left, bx1 = left + (right - left) * p, by0 = bottom, by1 = bottom + (top - bottom) * p;
  if (p < 0) {
    bx0 = right + (right - left) * p, bx1 = right;
    by0 = top + (top - bottom) * p, by1 = top;
  }
  // The frame's six lines, then the horizontal bar (its ends in x, the full inner height) and the
  // vertical one (the full inner width, its ends in y).
  const float x[10] = {0,   w,   left, right, std::floor(w * 0.5f), std::floor((left + right) * 0.5f),
                       bx0, bx1, left, right};
  const float y[10] = {0,      h,   bottom, top, std::floor(h * 0.5f), std::floor((bottom + top) * 0.5f),
                       bottom, top, by0,    by1};
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  StepFade(m_focusFlag != 0);
  const Vector4f c = context->color;
  const float a = c.w;
  Vector4f bar = c;
  bar *= m_barColor;
  // 0 normal, 1 highlight, 2 pressed, 3 the bar, 4 the bar's highlight.
  Vector4f colors[5] = {{c.x, c.y, c.z, m_frameState == 1 ? 0.0f : a},
                        {c.x, c.y, c.z, m_frameState == 1 ? 0.0f : a * m_fade},
                        {c.x, c.y, c.z, m_frameState == 1 ? a : 0.0f},
                        bar,
                        {bar.x, bar.y, bar.z, bar.w * m_fade}};
  if (!IsNilObject(e)) e->Draw(context, engine, 10, x, 10, y, 5, colors);
  if (m_label.text.Length() > 0)
    m_label.Draw(context, engine, GetFontStyle(), IsNilObject(e) ? Vector4f{1, 1, 1, 1} : e->m_fontColor);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
