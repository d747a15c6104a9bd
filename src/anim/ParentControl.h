// Chooses the parent of one node, by number, from its parent manager.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ParentManager_I;

class ParentControl_I : public EngineClass<ParentControl_I, Object_I, ClassId::ParentControl, "ParentControl"> {
 public:
  static void Define();
  WeakObj<ParentManager_I> m_parentManager;
  WeakObj<ScriptObject> m_child;
  int32_t m_parentID = -1;
  int32_t m_appliedParentID = -1;  // the number last accepted
};

}  // namespace PM
