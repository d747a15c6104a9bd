// The numbered connections through which animation values reach object members.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class ConnectionGroup_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF094;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ConnectionGroup_I>("ConnectionGroup"); }
  static ScriptObject* Create() { return NewEngineObject<ConnectionGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ConnectionGroup_I>(extraBytes); }

  Array<Obj<ScriptObject>> m_object;
  Array<uint32_t> m_member;
  Array<int32_t> m_memberIndex;
  Array<uint32_t> m_memberMask;
};

}  // namespace PM
