#include "ui/WProgress.h"

namespace PM {

const TypeRecord& WProgress_I::GetTypeRecord() { return EngineTypeRecord<WProgress_I>(kName); }
ScriptObject* WProgress_I::Create() { return NewEngineObject<WProgress_I>(); }
ScriptObject* WProgress_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WProgress_I>(extraBytes); }

void WProgress_I::Define() {
  DefineUIClass<WProgress_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WProgress_I::m_progress>(0x01FFF0CC, "Progress"),
      FieldMember<&WProgress_I::m_barColor>(0x02FFF0CC, "BarColor"),
  };
  DefineMembers(members);
}

}  // namespace PM
