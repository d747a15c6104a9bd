// The engine class table is assembled from entries that each area's class table adds at static
// initialisation; RegisterEngineClasses then defines them in the table's fixed order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace PM {

// Defines one class of the table (or an S/T pair), then its own members, then any enum type it owns
// with its values.
using DefineClassFn = void (*)();

// Adds the entry for a class (a pair is entered under the id of the class listed first); the id may be
// the class id or its index.
bool AddEngineClassEntry(uint32_t classIndex, DefineClassFn define);

// An area's table of entries: the class (the first of a pair) and its definition.
struct EngineClassEntry {
  uint32_t classId;
  DefineClassFn define;
};
template <size_t N>
bool AddEngineClassEntries(const EngineClassEntry (&entries)[N]) {
  bool added = true;
  for (const EngineClassEntry& e : entries) added = AddEngineClassEntry(e.classId, e.define) && added;
  return added;
}

// The entry of a class index, or null when no source file added one.
DefineClassFn FindEngineClassEntry(uint32_t classIndex);

}  // namespace PM
