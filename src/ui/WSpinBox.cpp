#include "ui/WSpinBox.h"

#include <algorithm>
#include <cmath>

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

namespace {

constexpr uint32_t kPressed = 0x1, kOver = 0x4;

UIElement_I* SpinElement(const Widget_I* w) {
  if (w->m_style.IsNil()) return nullptr;
  UIElement_I* e = w->m_style->m_elementSpinBox.Get();
  return IsNilObject(e) ? nullptr : e;
}

}  // namespace

void WSpinBox_I::Define() {
  DefineUIClass<WSpinBox_I, WControl_I>();
  const MemberDef members[] = {
      AccessorMember<&WSpinBox_I::GetSpinValue, &WSpinBox_I::SetSpinValue>(0x01FFF0CA, "SpinValue"),
  };
  DefineMembers(members);
}

int32_t WSpinBox_I::GetSpinValue() const {
  const int32_t n = ChildCount();
  return n == 0 ? -1 : m_spinValue % n;
}

bool WSpinBox_I::ChildTakesInput(int32_t index) const { return index == m_spinValue; }

WidgetLayout* WSpinBox_I::CalcDimMin() {
  WidgetWalkGuard guard("WSpinBox::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this);
  if (const UIElement_I* e = SpinElement(this)) {
    m.x += 2 * (e->m_arrowDim.x + e->m_arrowSpacing.x);
    m.y = std::max(m.y, e->m_arrowDim.y);
  }
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WSpinBox_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("WSpinBox::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  Vector3f low{0, 0, 0}, high{0, 0, 0};
  if (const UIElement_I* e = SpinElement(this)) {
    const float a = 2 * (e->m_arrowDim.x + e->m_arrowSpacing.x);
    low = {e->m_borderMin.x + a, e->m_borderMin.y, e->m_borderMin.z};
    high = {e->m_borderMax.x + a, e->m_borderMax.y, e->m_borderMax.z};
  }
  const bool clip = m_layout.clipChildren;
  m_layout.clipChildren = true;  // the client is always clipped to the box
  BuildClientRecord(low, high, parent);
  m_layout.clipChildren = clip;
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
}

int32_t WSpinBox_I::HitArrow(Vector2f p) const {
  const UIElement_I* e = SpinElement(this);
  if (!e) return -1;
  const Vector2f d{m_layout.computedSize.x, m_layout.computedSize.y};
  const float y0 = std::floor(d.y * 0.5f) - std::floor(e->m_arrowDim.y) * 0.5f;
  if (p.y < y0 || p.y >= y0 + e->m_arrowDim.y) return -1;
  if (p.x >= 0 && p.x < e->m_arrowDim.x) return 0;
  if (p.x >= d.x - e->m_arrowDim.x && p.x < d.x) return 1;
  return -1;
}

// Events go on to the widget, not the frame: the arrows' own press replaces the frame's.
void WSpinBox_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (!SpinElement(this) || !input) return Widget_I::SendEvent(event, input);
  Obj<Widget_I> keep(this);  // handlers may drop the box
  TWindow_I* window = IsNilObject(input->window.Get()) ? nullptr : input->window.Get();
  const int32_t part = HitArrow(PointerIn(input));
  const int32_t n = ChildCount();
  switch (event) {
    case kWEventMouseLeftDown:
      m_spinDrag = 0;
      if (part < 0) break;
      if (part == 0) {
        m_spinValue = m_spinValue - 1 < 0 ? std::max(n - 1, 0) : m_spinValue - 1;
        m_spinDrag = 4;
      } else {
        m_spinValue = m_spinValue >= n - 1 ? 0 : m_spinValue + 1;
        m_spinDrag = 5;
      }
      if (window) window->SetCaptureWidget(this);
      m_partState[part] |= kPressed;
      Widget_I::SendEvent(kWEventValueChanged, input);
      break;
    case kWEventMouseLeftUp:
      if (m_spinDrag != 0 && window && window->GetCaptureWidget() == this) window->SetCaptureWidget(NilScriptObject());
      m_spinDrag = 0;
      for (uint32_t& s : m_partState) s &= ~kPressed;
      break;
    case kWEventFocusActive:
      if (window && !IsNilObject(window->GetCaptureWidget())) break;
      for (int32_t k = 0; k < 3; ++k) m_partState[k] = k == part ? (m_partState[k] | kOver) : (m_partState[k] & ~kOver);
      break;
    case kWEventFocusLost:
      for (uint32_t& s : m_partState) s &= ~kOver;
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WSpinBox_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0 || m_style.IsNil()) return;
  const float w = m_layout.computedSize.x, h = m_layout.computedSize.y;
  const float x[6] = {0, w, 0, w, std::floor(w * 0.5f), std::floor(w * 0.5f)};
  const float y[6] = {0, h, 0, h, std::floor(h * 0.5f), std::floor(h * 0.5f)};
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  const float a = context->color.w;
  float alpha[16] = {a, a};
  for (int32_t k = 0; k < 3; ++k) {
    alpha[4 * k + 4] = a;
    alpha[4 * k + 5] = (m_partState[k] & kOver) ? a : 0.0f;
    alpha[4 * k + 6] = (m_partState[k] & kPressed) ? a : 0.0f;
  }
  Vector4f colors[16];
  for (int i = 0; i < 16; ++i) colors[i] = {context->color.x, context->color.y, context->color.z, alpha[i]};
  if (UIElement_I* e = SpinElement(this)) e->Draw(context, engine, 6, x, 6, y, 16, colors);
  // A negative or too large stored value shows no child.
  if (m_spinValue >= 0 && m_spinValue < ChildCount() && !m_widgetArray[m_spinValue].IsNil())
    m_widgetArray[m_spinValue]->Draw(context, engine);
}

}  // namespace PM
