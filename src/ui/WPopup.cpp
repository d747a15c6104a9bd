#include "ui/WPopup.h"

namespace PM {

const TypeRecord& WPopup_I::GetTypeRecord() { return EngineTypeRecord<WPopup_I>(kName); }
ScriptObject* WPopup_I::Create() { return NewEngineObject<WPopup_I>(); }
ScriptObject* WPopup_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WPopup_I>(extraBytes); }

void WPopup_I::Define() {
  DefineUIClass<WPopup_I, WSizer_I>();
  const MemberDef members[] = {
      FieldMember<&WPopup_I::m_autoClose>(0x01FFF0EE, "AutoClose"),
  };
  DefineMembers(members);
}

}  // namespace PM
