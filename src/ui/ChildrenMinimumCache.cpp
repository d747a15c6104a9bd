#include "ui/ChildrenMinimumCache.h"

#include "ui/OutOfViewIndex.h"
#include "ui/UIElement.h"
#include "ui/Widget.h"

namespace PM {

ChildrenMinimumCache::Measures ChildrenMinimumCache::MeasuresOf(const UIElement_I* e) {
  if (IsNilObject(e)) return {};
  return {e->m_borderMin, e->m_borderMax, e->m_defaultDim, e->m_iconPos, e->m_iconDim, e->m_iconSpacing, e->m_arrowDim};
}

const Vector3f* ChildrenMinimumCache::Find(int32_t count, bool visibleOnly, Vector3f WidgetLayout::*size) const {
  if (!m_kept || count != m_count || visibleOnly != m_visibleOnly || size != m_size ||
      m_stamp != OutOfViewIndex::Edits() || m_first->MinimumElement() != m_element)
    return nullptr;
  const Measures now = MeasuresOf(m_element);
  for (size_t i = 0; i < now.size(); ++i)
    if (now[i].x != m_measures[i].x || now[i].y != m_measures[i].y || now[i].z != m_measures[i].z) return nullptr;
  return &m_minimum;
}

void ChildrenMinimumCache::Keep(const Vector3f& minimum, int32_t count, bool visibleOnly, Vector3f WidgetLayout::*size,
                                Widget_I* first, const UIElement_I* element) {
  m_kept = true;
  m_minimum = minimum;
  m_count = count;
  m_visibleOnly = visibleOnly;
  m_size = size;
  m_stamp = OutOfViewIndex::Edits();
  m_first = first;
  m_element = element;
  m_measures = MeasuresOf(element);
}

}  // namespace PM
