// Chooses the parent of one node, by number, from its parent manager.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ParentManager_I;

class ParentControl_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ParentControl;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ParentControl_I>("ParentControl"); }
  static ScriptObject* Create() { return NewEngineObject<ParentControl_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ParentControl_I>(extraBytes); }

  WeakObj<ParentManager_I> m_parentManager;
  WeakObj<ScriptObject> m_child;
  int32_t m_parentID = -1;
  int32_t m_appliedParentID = -1;  // the number last accepted
};

}  // namespace PM
