// Base of the constraints: weighted targets, parent numbers and the parent manager that supplies them.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ParentManager_I;

class Constraint_I : public EngineClass<Constraint_I, Object_I, ClassId::Constraint, "Constraint"> {
 public:
  static void Define();
  Array<WeakObj<ScriptObject>> m_targetArray;
  Array<float> m_weightArray;
  Array<int32_t> m_parentIDArray;
  WeakObj<ParentManager_I> m_parentManager;
  uint32_t m_excludeMask = 0;
};

}  // namespace PM
