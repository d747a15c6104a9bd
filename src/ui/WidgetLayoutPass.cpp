// The two layout passes over a widget tree: minimum sizes bottom-up, then sizes, positions, world
// matrices and clips top-down.
#include <algorithm>

#include "ui/UIElement.h"
#include "ui/Widget.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

Vector3f ChildrenMinimum(Widget_I* w, bool visibleOnly, Vector3f WidgetLayout::*size) {
  Vector3f m{0, 0, 0};
  const void* nil = NilObject();
  for (const Obj<Widget_I>& child : w->m_widgetArray) {
    if (child.Get() == nil || (visibleOnly && child->m_layout.visibility == 0)) continue;
    const Vector3f& c = child->CalcDimMin()->*size;
    m.x = std::max(m.x, c.x);
    m.y = std::max(m.y, c.y);
  }
  return m;
}

// A popup's element borders are added by its own (the sizer's) minimum pass, which it always runs.
WidgetLayout* Widget_I::CalcDimMin() {
  WidgetWalkGuard guard("Widget::CalcDimMin", this);
  if (!guard.Entered()) return &m_layout;
  Vector3f m = ChildrenMinimum(this);
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
  LayOutChildren(&m_layout);
}

void Widget_I::LayOutChildren(const WidgetLayout* record) {
  const void* nil = NilObject();
  if (m_widgetArray.Count() < OutOfViewIndex::kMinChildren) {
    m_outOfView.reset();
    for (const Obj<Widget_I>& child : m_widgetArray)
      if (child.Get() != nil) child->UpdateLayoutTree(record, 0);
    return;
  }
  if (!m_outOfView) m_outOfView = std::make_unique<OutOfViewIndex>();
  OutOfViewIndex& index = *m_outOfView;
  index.Begin(m_widgetArray.Count());
  for (int32_t i = 0; i < m_widgetArray.Count(); ++i) {
    Widget_I* child = m_widgetArray[i].Get();
    if (child == nil) continue;  // no pass visits it
    child->UpdateLayoutTree(record, 0);
    if (child->IdleOutOfView())
      index.PassOver(child->m_drawPriority);
    else
      index.Keep(i);
  }
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
