// SContainer and TContainer: a leaf carrying an ordered list of arbitrary script objects.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SContainer_I : public EngineClass<SContainer_I, SLeaf_I, ClassId::SContainer, "SContainer"> {
 public:
  static void Define();
  Array<Obj<ScriptObject>> m_objects;
};

class TContainer_I : public EngineClass<TContainer_I, TLeaf_I, ClassId::TContainer, "TContainer", SContainer_I> {
 public:
};

}  // namespace PM
