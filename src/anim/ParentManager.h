// Supplies numbered parents to the constraints and parent controls it serves.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class Constraint_I;
class ParentControl_I;

class ParentManager_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ParentManager;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ParentManager_I>("ParentManager"); }
  static ScriptObject* Create() { return NewEngineObject<ParentManager_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ParentManager_I>(extraBytes); }

  Array<Obj<Constraint_I>> m_constraintArray;
  Array<Obj<ScriptObject>> m_parentArray;
  Array<Obj<ParentControl_I>> m_controlArray;
};

}  // namespace PM
