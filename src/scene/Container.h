// SContainer and TContainer: a leaf carrying an ordered list of arbitrary script objects.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SContainer_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SContainer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SContainer_I>("SContainer"); }
  static ScriptObject* Create() { return NewEngineObject<SContainer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SContainer_I>(extraBytes); }

  Array<Obj<ScriptObject>> m_objects;
};

class TContainer_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TContainer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TContainer_I>("TContainer"); }
  static ScriptObject* Create() { return NewEngineNode<TContainer_I, SContainer_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TContainer_I, SContainer_I>(n); }
};

}  // namespace PM
