#include "ui/WScroll.h"

namespace PM {

const TypeRecord& WScroll_I::GetTypeRecord() { return EngineTypeRecord<WScroll_I>(kName); }
ScriptObject* WScroll_I::Create() { return NewEngineObject<WScroll_I>(); }
ScriptObject* WScroll_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WScroll_I>(extraBytes); }

void WScroll_I::Define() {
  DefineUIClass<WScroll_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WScroll_I::m_orientation>(0x01FFF0EC, "Orientation"),
  };
  DefineMembers(members);
}

}  // namespace PM
