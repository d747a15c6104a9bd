// The numbered connections through which animation values reach object members.
#pragma once

#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

// One animated target: an object's member (an element of it when indexed) and the components written.
struct Connection {
  Obj<ScriptObject> object;
  uint32_t member = 0;
  int32_t memberIndex = 0;
  uint32_t memberMask = 0;
};

class ConnectionGroup_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF094;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ConnectionGroup_I>("ConnectionGroup"); }
  static ScriptObject* Create() { return NewEngineObject<ConnectionGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ConnectionGroup_I>(extraBytes); }

  // The four members are views of this one list: a Set on any of them grows it by whole connections,
  // a Remove takes whole connections out.
  Array<Connection> m_connections;
};

enum : uint32_t {
  kMemberConnectionObject = 0x01FFF094,
  kMemberConnectionMember = 0x02FFF094,
  kMemberConnectionMemberIndex = 0x03FFF094,
  kMemberConnectionMemberMask = 0x04FFF094,
};

}  // namespace PM
