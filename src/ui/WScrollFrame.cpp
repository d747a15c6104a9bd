#include "ui/WScrollFrame.h"

namespace PM {

const TypeRecord& WScrollFrame_I::GetTypeRecord() { return EngineTypeRecord<WScrollFrame_I>(kName); }
ScriptObject* WScrollFrame_I::Create() { return NewEngineObject<WScrollFrame_I>(); }
ScriptObject* WScrollFrame_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WScrollFrame_I>(extraBytes); }

void WScrollFrame_I::Define() {
  DefineUIClass<WScrollFrame_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WScrollFrame_I::m_scrollXMode>(0x01FFF0E3, "ScrollXMode"),
      FieldMember<&WScrollFrame_I::m_scrollYMode>(0x02FFF0E3, "ScrollYMode"),
  };
  DefineMembers(members);
}

}  // namespace PM
