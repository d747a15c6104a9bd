#include "ui/WEventCallback.h"

namespace PM {

const TypeRecord& WEventCallback_I::GetTypeRecord() { return EngineTypeRecord<WEventCallback_I>(kName); }
ScriptObject* WEventCallback_I::Create() { return NewEngineObject<WEventCallback_I>(); }
ScriptObject* WEventCallback_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WEventCallback_I>(extraBytes); }

void WEventCallback_I::Define() {
  DefineUIClass<WEventCallback_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WEventCallback_I::m_defaultCallback>(0x01FFF0D6, "DefaultCallback", 0x7),
  };
  DefineMembers(members);
}

}  // namespace PM
