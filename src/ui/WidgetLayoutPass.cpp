// The two layout passes over a widget tree: minimum sizes bottom-up, then sizes, positions, world
// matrices and clips top-down.
#include <algorithm>

#include "ui/UIElement.h"
#include "ui/Widget.h"
#include "ui/WidgetStyle.h"
#include "ui/WidgetWalk.h"

namespace PM {

namespace {

// The minimum of a long child array, kept between passes where every child allows it.
Vector3f LongChildrenMinimum(Widget_I* w, bool visibleOnly, Vector3f WidgetLayout::*size) {
  const int32_t count = w->m_widgetArray.Count();
  if (w->m_minimumCache)
    if (const Vector3f* kept = w->m_minimumCache->Find(count, visibleOnly, size)) return *kept;
  Vector3f m{0, 0, 0};
  const void* nil = NilObject();
  // Kept only when every child can be entered (none lies past the walk's depth limit, whose error line
  // each pass writes) and reads one shared element: the same class and style throughout.
  bool keep = t_widgetWalk.depth < kMaxWidgetDepth;
  Widget_I* first = nullptr;
  const UIElement_I* element = nullptr;
  for (const Obj<Widget_I>& child : w->m_widgetArray) {
    if (child.Get() == nil) continue;
    if (keep) {
      const UIElement_I* e = child->m_parent.Get() == w ? child->MinimumElement() : nullptr;
      if (!first) first = child.Get(), element = e;
      keep = e && e == element && child->m_style.Get() == first->m_style.Get() &&
             child->GetClassID() == first->GetClassID();
    }
    if (visibleOnly && child->m_layout.visibility == 0) continue;
    const Vector3f& c = child->CalcDimMin()->*size;
    m.x = std::max(m.x, c.x);
    m.y = std::max(m.y, c.y);
  }
  if (!keep || !first || count != w->m_widgetArray.Count()) {
    w->m_minimumCache.reset();
    return m;
  }
  if (!w->m_minimumCache) w->m_minimumCache = std::make_unique<ChildrenMinimumCache>();
  w->m_minimumCache->Keep(m, count, visibleOnly, size, first, element);
  if (w->m_outOfView) w->m_outOfView->NoteRowEdit();  // the rows' minimums were computed again
  return m;
}

}  // namespace

Vector3f ChildrenMinimum(Widget_I* w, bool visibleOnly, Vector3f WidgetLayout::*size) {
  if (w->m_widgetArray.Count() >= OutOfViewIndex::kMinChildren) return LongChildrenMinimum(w, visibleOnly, size);
  w->m_minimumCache.reset();
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
  const uint64_t pass = OutOfViewIndex::NextPass();
  index.Begin(m_widgetArray.Count(), record, pass, m_minimumCache && m_minimumCache->Current());
  // The rows passed over last time, unchanged since, are passed over again while they stay out of view.
  index.Walk([&](int32_t i) {
    if (i >= m_widgetArray.Count()) return;  // the array shrank under a row's layout
    Widget_I* child = m_widgetArray[i].Get();
    if (child == nil) return;  // no pass visits it
    child->UpdateLayoutTree(record, 0);
    child->m_layoutPass = pass;
    index.Note(i, child->IdleOutOfView() && child->m_parent.Get() == this,
               {child->m_drawPriority, child->m_layout.computedPosition, child->m_layout.computedSize});
  });
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
