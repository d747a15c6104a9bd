#include "ui/WLabel.h"

#include <algorithm>

#include "ui/UIElement.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

void WLabel_I::Define() { DefineUIClass<WLabel_I, WControl_I>(); }

WidgetLayout* WLabel_I::CalcDimMin() {
  WidgetWalkGuard guard("WLabel::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = m_label.CalcDimMin(GetFontStyle())->minimumSize;
  m.z = 0;
  RaiseMinimum(m, ChildrenMinimum(this));
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void WLabel_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  WFrame_I::UpdateLayoutTree(parent, keepSize);
  const Vector3f measured = m_label.record.minimumSize;
  m_label.record = m_layout;
  m_label.record.minimumSize = measured;
}

void WLabel_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  const UIElement_I* frame = m_style.IsNil() ? nullptr : m_style->m_elementFrame.Get();
  if (m_label.text.Length() > 0) {
    if (!IsNilObject(frame)) {
      m_label.Draw(context, engine, GetFontStyle(), frame->m_fontColor);
    } else {
      Vector4f color = m_label.fontColor.w < 0.0f ? Vector4f{1, 1, 1, 1} : m_label.fontColor;
      if ((m_layout.ownInputFlags & 1) && m_handlerArray.Count() > 0 && !m_style.IsNil())
        color *= m_style->m_focusTextColor;
      m_label.DrawInColor(context, engine, GetFontStyle(), color);
    }
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
