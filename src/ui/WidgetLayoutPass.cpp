// The two layout passes over a widget tree: minimum sizes bottom-up, then sizes, positions, world
// matrices and clips top-down.
#include <algorithm>

#include "ui/UIElement.h"
#include "ui/WPopup.h"
#include "ui/Widget.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

WidgetLayout* Widget_I::CalcDimMin() {
  WidgetWalkGuard guard("Widget::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m{0, 0, 0};
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : m_widgetArray) {
    if (child.Get() == nil) continue;
    const WidgetLayout* c = child->CalcDimMin();
    m.x = std::max(m.x, c->outerMinimum.x);
    m.y = std::max(m.y, c->outerMinimum.y);
  }
  if (IsA(WPopup_I::kClassId) && !m_style.IsNil()) {
    const UIElement_I* border = m_style->m_elementPopup.Get();
    if (!IsNilObject(border)) {
      m.x += border->m_borderMin.x + border->m_borderMax.x;
      m.y += border->m_borderMin.y + border->m_borderMax.y;
      m.z = border->m_borderMin.z + border->m_borderMax.z;
    }
  }
  m.x = std::max(m.x, m_layout.dimension.x);
  m.y = std::max(m.y, m_layout.dimension.y);
  m_layout.ComputeMinimum(m);
  return &m_layout;
}

void Widget_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;  // the subtree keeps its last visible layout
  WidgetWalkGuard guard("Widget::UpdateLayoutTree", this);
  if (!guard.Entered()) return;
  CommitLayout(parent, keepSize);
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (child.Get() != nil) child->UpdateLayoutTree(&m_layout, 0);
}

void Widget_I::CommitLayout(const WidgetLayout* parent, int32_t keepSize) {
  WidgetLayout& l = m_layout;
  if (keepSize == 0) {
    l.computedSize = l.minimumSize;
    l.ApplyParent(*parent);
  }
  l.PlaceIn(parent->world);
  l.combinedInputFlags = (parent->combinedInputFlags & 2) | l.ownInputFlags;
  l.InheritClip(*parent);
}

}  // namespace PM
