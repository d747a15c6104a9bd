// The live and unloaded lists in which an engine keeps its caches and texture handles: an item knows its
// index in the live list, so leaving it is a swap with the last entry.
#pragma once

#include <cstdint>

#include "core/Array.h"
#include "core/Obj.h"

namespace PM {

// Moves `item` from `live` to `unloaded`. False, with nothing moved, when the live list does not hold the
// item at its index (the caller reports the corruption).
template <class T>
bool MoveToUnloaded(Array<Ptr<T>>& live, Array<Ptr<T>>& unloaded, T* item) {
  const int32_t index = item->m_listIndex;
  if (index < 0 || index >= live.Count() || live[index].Get() != item) return false;
  // The unloaded list holds a reference before the live list gives its own up.
  unloaded.Append(Ptr<T>(item));
  const int32_t last = live.Count() - 1;
  if (index != last) {
    live[index] = live[last];
    live[index]->m_listIndex = index;
  }
  item->m_listIndex = -1;
  live.SetCount(last);
  return true;
}

// Appends `item` to the live list and tells it its index.
template <class T>
void AppendLive(Array<Ptr<T>>& live, T* item) {
  item->m_listIndex = live.Count();
  live.Append(Ptr<T>(item));
}

}  // namespace PM
