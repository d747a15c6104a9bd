#include "ui/WCheckBox.h"

namespace PM {

const TypeRecord& WCheckBox_I::GetTypeRecord() { return EngineTypeRecord<WCheckBox_I>(kName); }
ScriptObject* WCheckBox_I::Create() { return NewEngineObject<WCheckBox_I>(); }
ScriptObject* WCheckBox_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WCheckBox_I>(extraBytes); }

void WCheckBox_I::Define() {
  DefineUIClass<WCheckBox_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WCheckBox_I::m_state>(0x01FFF0E4, "State"),
  };
  DefineMembers(members);
}

}  // namespace PM
