#include "support/ElementWidget.h"

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetWalk.h"

namespace PM::Test {

ElementWidget* ElementWidget::Create() {
  static const TypeRecord record("ElementWidget", sizeof(ElementWidget), DestroyScriptObject<ElementWidget>);
  return NewScriptObject<ElementWidget>(record, Widget_I::kClassId);
}

UIElement_I* ElementWidget::CoveringElement() {
  auto* e = static_cast<UIElement_I*>(UIElement_I::Create());
  UIAtomStructure a{};
  a.texRight = 512;
  a.texEdgeB = 512;
  a.anchorX1 = 1;
  a.anchorY1 = 1;
  e->m_atoms.Append(a);
  return e;
}

void ElementWidget::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (!clipChildren) return Widget_I::UpdateLayoutTree(parent, keepSize);
  if (m_layout.visibility == 0) return;
  WidgetWalkGuard guard("ElementWidget::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  WidgetLayout inner = m_layout;
  const float x = m_layout.world.m[12], y = m_layout.world.m[13];
  inner.ClipTo(m_layout, x, x + m_layout.computedSize.x, y, y + m_layout.computedSize.y);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&inner, 0);
}

void ElementWidget::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState == kClipEmpty) return;
  engine->SetClipRect(m_layout.clipRect, m_layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&m_layout.world);
  engine->UpdateClipRect();
  if (!m_element.IsNil()) {
    const float h[2] = {0, m_layout.computedSize.x}, v[2] = {0, m_layout.computedSize.y};
    m_element->Draw(context, engine, 2, h, 2, v, 1, &context->color);
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM::Test
