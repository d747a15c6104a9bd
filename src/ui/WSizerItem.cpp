#include "ui/WSizerItem.h"

namespace PM {

const TypeRecord& WSizerItem_I::GetTypeRecord() { return EngineTypeRecord<WSizerItem_I>(kName); }
ScriptObject* WSizerItem_I::Create() { return NewEngineObject<WSizerItem_I>(); }
ScriptObject* WSizerItem_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WSizerItem_I>(extraBytes); }

void WSizerItem_I::Define() {
  DefineUIClass<WSizerItem_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WSizerItem_I::m_spacing>(0x01FFF0E7, "Spacing"),
  };
  DefineMembers(members);
}

}  // namespace PM
