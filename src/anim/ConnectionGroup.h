// The numbered connections through which animation values reach object members.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ConnectionGroup_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ConnectionGroup;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ConnectionGroup_I>("ConnectionGroup"); }
  static ScriptObject* Create() { return NewEngineObject<ConnectionGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ConnectionGroup_I>(extraBytes); }

  Array<Obj<ScriptObject>> m_object;
  Array<uint32_t> m_member;
  Array<int32_t> m_memberIndex;
  Array<uint32_t> m_memberMask;
};

}  // namespace PM
