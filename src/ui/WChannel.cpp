#include "ui/WChannel.h"

namespace PM {

const TypeRecord& WChannel_I::GetTypeRecord() { return EngineTypeRecord<WChannel_I>(kName); }
ScriptObject* WChannel_I::Create() { return NewEngineObject<WChannel_I>(); }
ScriptObject* WChannel_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WChannel_I>(extraBytes); }

void WChannel_I::Define() {
  DefineUIClass<WChannel_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WChannel_I::m_viewport>(0x01FFF0E0, "Viewport"),
  };
  DefineMembers(members);
}

}  // namespace PM
