// SContainer and TContainer: a leaf carrying an ordered list of arbitrary script objects.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SContainer_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF074;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SContainer_I>("SContainer"); }
  static ScriptObject* Create() { return NewEngineObject<SContainer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SContainer_I>(extraBytes); }

  // The Object member: Get past the end gives nil; Set grows the list with nil entries; Remove takes
  // `count` entries from `first` (a negative count: to the end).
  ScriptObject* GetObject(int32_t i) const;
  void SetObject(int32_t i, ScriptObject* object);
  int32_t ObjectCount() const { return m_objects.Count(); }
  void RemoveObjects(int32_t first, int32_t count) { m_objects.Remove(first, count); }

  Array<Obj<ScriptObject>> m_objects;
};

class TContainer_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF075;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TContainer_I>("TContainer"); }
  static ScriptObject* Create() { return NewEngineNode<TContainer_I, SContainer_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TContainer_I, SContainer_I>(n); }
};

enum : uint32_t { kMemberContainerObject = 0x01FFF074 };

}  // namespace PM
