// Supplies numbered parents to the constraints and parent controls it serves.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Constraint_I;
class ParentControl_I;

class ParentManager_I : public EngineClass<ParentManager_I, Object_I, ClassId::ParentManager, "ParentManager"> {
 public:
  static void Define();
  Array<Obj<Constraint_I>> m_constraintArray;
  Array<Obj<ScriptObject>> m_parentArray;
  Array<Obj<ParentControl_I>> m_controlArray;
};

}  // namespace PM
