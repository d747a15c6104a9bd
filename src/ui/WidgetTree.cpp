// The widget tree: parent links, child arrays and their order.
#include <algorithm>
#include <climits>
#include <unordered_set>
#include <vector>

#include "core/Log.h"
#include "ui/WButton.h"
#include "ui/WPopup.h"
#include "ui/Widget.h"

namespace PM {

namespace {

// Is `node` in the subtree of `top` (top included), following child arrays. A child may sit in two
// parents, so the walk keeps the widgets it has seen and stays linear.
bool HoldsInSubtree(const Widget_I* top, const Widget_I* node) {
  std::vector<const Widget_I*> pending{top};
  std::unordered_set<const Widget_I*> seen{top};
  while (!pending.empty()) {
    const Widget_I* w = pending.back();
    pending.pop_back();
    if (w == node) return true;
    for (const Obj<Widget_I>& child : w->m_widgetArray)
      if (!child.IsNil() && seen.insert(child.Get()).second) pending.push_back(child.Get());
  }
  return false;
}

// Placing `child` below `parent` would make a cycle: logs the refusal.
bool RefusesCycle(const char* operation, const Widget_I* child, const Widget_I* parent) {
  if (!parent->IsSelfOrBelow(child)) return false;
  LogError(operation, ": \"", child->m_name, "\" cannot be placed below itself or its descendant \"", parent->m_name,
           "\".");
  return true;
}

// Parent links cannot loop (placement refuses cycles); the walk up stops here all the same.
constexpr int32_t kMaxParentSteps = 1 << 20;

// Nil entries sort last.
int32_t SortKey(const Obj<Widget_I>& w) { return w.IsNil() ? 0x10000000 : w->m_childPriority; }

}  // namespace

bool Widget_I::IsSelfOrBelow(const Widget_I* ancestor) const {
  // Parent links first (cheap), then the child arrays of the ancestor, which also see a second parent.
  int32_t steps = 0;
  for (const Widget_I* w = this; !IsNilObject(w) && steps < kMaxParentSteps; w = w->m_parent.Get(), ++steps)
    if (w == ancestor) return true;
  return HoldsInSubtree(ancestor, this);
}

void Widget_I::SetParent(Widget_I* parent) {
  if (!parent) parent = static_cast<Widget_I*>(NilScriptObject());
  if (parent == m_parent.Get()) return;
  if (!IsNilObject(parent) && RefusesCycle("Widget::SetParent", this, parent)) return;
  Obj<Widget_I> keep(this);  // the old parent may hold the last reference
  Widget_I* old = m_parent.Get();
  if (!IsNilObject(old)) old->RemoveChild(this);
  if (IsNilObject(parent)) return;
  // Through the button's own setter, so the popup ends linked to it exactly as when SubMenu is written.
  if (parent->IsA(WButton_I::kClassId) && IsA(WPopup_I::kClassId))
    return static_cast<WButton_I*>(parent)->SetSubMenu(static_cast<WPopup_I*>(this));
  parent->SetChild(parent->m_widgetArray.Count(), this);
}

Widget_I* Widget_I::GetChild(int32_t i) const {
  if (i < 0) ReportBadIndex("Get", this, kMemberWidgetWidgetArray, i, m_widgetArray.Count());
  if (i < 0 || i >= m_widgetArray.Count()) return static_cast<Widget_I*>(NilScriptObject());
  return m_widgetArray[i].Get();
}

void Widget_I::SetChild(int32_t i, Widget_I* child) {
  if (!child) child = static_cast<Widget_I*>(NilScriptObject());
  if (!SetIndexOk(this, kMemberWidgetWidgetArray, i, m_widgetArray.Count())) return;
  if (!IsNilObject(child) && RefusesCycle("Widget::SetWidgetArray", child, this)) return;
  if (i >= m_widgetArray.Count()) m_widgetArray.Grow(i + 1);
  Widget_I* old = m_widgetArray[i].Get();
  if (old == child) return;
  OutOfViewIndex::NoteEdit();
  RefreshSkippedChildren();
  if (!IsNilObject(old)) old->m_parent = nullptr;
  if (!IsNilObject(child)) child->m_parent = this;
  m_widgetArray[i] = child;
}

void Widget_I::RemoveChildren(int32_t start, int32_t count) {
  const int32_t n = m_widgetArray.Count();
  if (start < 0 || start >= n || count == 0) return;
  const int32_t end = count < 0 || count > n - start ? n : start + count;
  OutOfViewIndex::NoteEdit();
  RefreshSkippedChildren();
  for (int32_t k = end - 1; k >= start; --k)
    if (!m_widgetArray[k].IsNil()) m_widgetArray[k]->m_parent = nullptr;
  m_widgetArray.Remove(start, end - start);
}

void Widget_I::RemoveChild(Widget_I* child) {
  for (int32_t k = 0, n = m_widgetArray.Count(); k < n; ++k) {
    if (m_widgetArray[k].Get() != child) continue;
    OutOfViewIndex::NoteEdit();
    RefreshSkippedChildren();
    if (!IsNilObject(child)) child->m_parent = nullptr;
    m_widgetArray.Remove(k, 1);
    return;
  }
}

void Widget_I::SortChildren() {
  OutOfViewIndex::NoteEdit();
  RefreshSkippedChildren();
  // Compared, not subtracted: priorities far apart would overflow a difference.
  std::sort(m_widgetArray.begin(), m_widgetArray.end(),
            [](const Obj<Widget_I>& a, const Obj<Widget_I>& b) { return SortKey(a) < SortKey(b); });
}

void Widget_I::CompactChildren() { m_widgetArray.Realloc(m_widgetArray.Count()); }

}  // namespace PM
