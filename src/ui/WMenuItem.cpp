#include "ui/WMenuItem.h"

namespace PM {

const TypeRecord& WMenuItem_I::GetTypeRecord() { return EngineTypeRecord<WMenuItem_I>(kName); }
ScriptObject* WMenuItem_I::Create() { return NewEngineObject<WMenuItem_I>(); }
ScriptObject* WMenuItem_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WMenuItem_I>(extraBytes); }

void WMenuItem_I::Define() {
  DefineUIClass<WMenuItem_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WMenuItem_I::m_showArrow>(0x02FFF0CF, "ShowArrow"),
  };
  DefineMembers(members);
}

}  // namespace PM
