#include "ui/WCheckBox.h"

#include <algorithm>

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"
#include "ui/Window.h"

namespace PM {

void WCheckBox_I::Define() {
  DefineUIClass<WCheckBox_I, WControl_I>();
  const MemberDef members[] = {
      AccessorMember<&WCheckBox_I::GetState, &WCheckBox_I::SetState>(0x01FFF0E4, "State"),
  };
  DefineMembers(members);
}

void WCheckBox_I::SetState(int32_t state) {
  m_state = state;
  m_frameState = state == 1 ? 1 : 0;
}

UIElement_I* WCheckBox_I::CheckElement() const {
  if (m_style.IsNil()) return nullptr;
  UIElement_I* e = m_style->m_elementCheckBox.Get();
  return IsNilObject(e) ? nullptr : e;
}

float WCheckBox_I::LabelOffset() const {
  const UIElement_I* e = CheckElement();
  if (!e) return 0.0f;
  return e->m_iconDim.x + (m_label.text.Length() > 0 ? e->m_iconSpacing.x : 0.0f);
}

WidgetLayout* WCheckBox_I::CalcDimMin() {
  WidgetWalkGuard guard("WCheckBox::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this);
  if (const UIElement_I* e = CheckElement()) {
    float width = e->m_iconDim.x, height = 0.0f;
    if (m_label.text.Length() > 0) {
      const Vector3f label = m_label.CalcDimMin(GetFontStyle())->minimumSize;
      width += label.x + e->m_iconSpacing.x;
      height = label.y;
    }
    m.x = std::max(m.x, width);
    m.y = std::max({m.y, height, e->m_iconDim.y});
  }
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WCheckBox_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WFrame_I::UpdateLayoutTree(parent, keepSize);
  // The label's area is the box's own record after the box, built as a client record would be.
  const WidgetLayout children = m_clientLayout;
  BuildClientRecord({LabelOffset(), 0, 0}, {0, 0, 0}, parent);
  m_label.CommitLayout(m_clientLayout);
  m_clientLayout = children;
}

// Events go on to the widget, not the frame: the box's own press and focus replace the frame's.
void WCheckBox_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (!CheckElement() || !input) return Widget_I::SendEvent(event, input);
  Obj<Widget_I> keep(this);  // handlers may drop the box
  const Vector2f p = PointerIn(input);
  const bool inside = p.x >= 0 && p.x < m_layout.computedSize.x && p.y >= 0 && p.y < m_layout.computedSize.y;
  TWindow_I* window = IsNilObject(input->window.Get()) ? nullptr : input->window.Get();
  switch (event) {
    case kWEventMouseLeftDown:
      m_pressed = 1;
      if (window) window->SetCaptureWidget(this);
      m_pending = m_state != 1 ? 1 : 0;
      break;
    case kWEventFocus:
      m_focusFlag = 1;
      break;
    case kWEventFocusLost:
      m_focusFlag = 0;
      break;
    case kWEventMouseLeftHold:
      if (m_pressed == 1) m_frameState = inside ? 4 + (m_pending == 1) : (m_state == 1);
      break;
    case kWEventMouseLeftUp:
      if (m_pressed && window && window->GetCaptureWidget() == this) {
        window->SetCaptureWidget(NilScriptObject());
        if (inside) {
          SetState(m_pending);
          Widget_I::SendEvent((m_state & 1) ? kWEventButtonChecked : kWEventButtonUnchecked, input);
          Widget_I::SendEvent(kWEventValueChanged, input);
        }
      }
      // Also when the capture went elsewhere: the box must not stay in its pressed look.
      m_frameState = m_state == 1;
      m_pressed = 0;
      break;
    default:
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WCheckBox_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  UIElement_I* e = CheckElement();
  const Vector3f low = e ? e->m_borderMin : Vector3f{0, 0, 0}, high = e ? e->m_borderMax : Vector3f{0, 0, 0};
  float x[6], y[6];
  ElementAnchors(m_layout.computedSize.x, low.x, high.x, x);
  ElementAnchors(m_layout.computedSize.y, low.y, high.y, y);
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  StepFade(m_focusFlag != 0);
  const float a = context->color.w;
  float alpha[12] = {};
  switch (m_frameState) {
    case 0:
      alpha[0] = a, alpha[1] = a * m_fade;
      break;
    case 1:
      alpha[4] = a, alpha[5] = a * m_fade;
      break;
    case 4:
      alpha[2] = a;
      break;
    case 5:
      alpha[6] = a;
      break;
    default:
      break;
  }
  Vector4f colors[12];
  for (int i = 0; i < 12; ++i) colors[i] = {context->color.x, context->color.y, context->color.z, alpha[i]};
  if (e) e->Draw(context, engine, 6, x, 6, y, 12, colors);
  if (m_label.text.Length() > 0)
    m_label.Draw(context, engine, GetFontStyle(), e ? e->m_fontColor : Vector4f{1, 1, 1, 1});
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
