#include "ui/WSpacer.h"

namespace PM {

const TypeRecord& WSpacer_I::GetTypeRecord() { return EngineTypeRecord<WSpacer_I>(kName); }
ScriptObject* WSpacer_I::Create() { return NewEngineObject<WSpacer_I>(); }
ScriptObject* WSpacer_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WSpacer_I>(extraBytes); }

void WSpacer_I::Define() {
  DefineUIClass<WSpacer_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WSpacer_I::m_ratio>(0x01FFF0C7, "Ratio"),
  };
  DefineMembers(members);
}

}  // namespace PM
