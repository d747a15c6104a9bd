// The numbered connections through which animation values reach object members.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ConnectionGroup_I : public EngineClass<ConnectionGroup_I, Object_I, ClassId::ConnectionGroup, "ConnectionGroup"> {
 public:
  static void Define();
  Array<Obj<ScriptObject>> m_object;
  Array<uint32_t> m_member;
  Array<int32_t> m_memberIndex;
  Array<uint32_t> m_memberMask;
};

}  // namespace PM
