// The children's minimum of a long child array, kept from one minimum pass to the next while no child's
// minimum can have changed. Kept only when every child is a plain button (no children, icon widget, sub
// menu or element of its own) of one class and one style, whose inputs announce their changes (layout
// members, style, element, label, icon id: Widget_I::NoteLayoutEdit), and whose element's measures
// are compared at each pass, so that edits of the shared element or style are seen without a notice.
#pragma once

#include <array>
#include <cstdint>

#include "core/Vector3f.h"
#include "ui/WidgetLayout.h"

namespace PM {

class UIElement_I;
class Widget_I;

class ChildrenMinimumCache {
 public:
  using Measures = std::array<Vector3f, 7>;
  // What a button's minimum reads of its element (all zero for the nil element).
  static Measures MeasuresOf(const UIElement_I* element);

  // The minimum kept for this pass over `count` children, or null when it must be computed again.
  const Vector3f* Find(int32_t count, bool visibleOnly, Vector3f WidgetLayout::*size) const;
  // Keeps `minimum`, computed over `count` children whose first non-nil one is `first`, each reading
  // `element`.
  void Keep(const Vector3f& minimum, int32_t count, bool visibleOnly, Vector3f WidgetLayout::*size, Widget_I* first,
            const UIElement_I* element);
  // A child's minimum may have changed.
  void Drop() { m_kept = false; }
  // The minimum kept still holds for the pass it was kept for.
  bool Current() const { return Find(m_count, m_visibleOnly, m_size) != nullptr; }

 private:
  bool m_kept = false;
  bool m_visibleOnly = false;
  int32_t m_count = 0;
  Vector3f WidgetLayout::*m_size = nullptr;
  uint64_t m_stamp = 0;
  Widget_I* m_first = nullptr;
  const UIElement_I* m_element = nullptr;
  Measures m_measures{};
  Vector3f m_minimum{0, 0, 0};
};

}  // namespace PM
