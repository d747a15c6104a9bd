// SContainer and TContainer: a leaf carrying an ordered list of arbitrary script objects.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SContainer_I : public EngineClass<SContainer_I, SLeaf_I, ClassId::SContainer, "SContainer"> {
 public:
  static void Define();
  // The Object member: Get past the end gives nil; Set grows the list with nil entries; Remove takes
  // `count` entries from `first` (a negative count: to the end).
  ScriptObject* GetObject(int32_t i) const;
  void SetObject(int32_t i, ScriptObject* object);
  int32_t ObjectCount() const { return m_objects.Count(); }
  void RemoveObjects(int32_t first, int32_t count) { m_objects.Remove(first, count); }

  Array<Obj<ScriptObject>> m_objects;
};

class TContainer_I : public EngineClass<TContainer_I, TLeaf_I, ClassId::TContainer, "TContainer", SContainer_I> {
 public:
};

enum : uint32_t { kMemberContainerObject = 0x01FFF074 };

}  // namespace PM
