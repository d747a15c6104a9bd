#include "ui/WFrame.h"

namespace PM {

const TypeRecord& WFrame_I::GetTypeRecord() { return EngineTypeRecord<WFrame_I>(kName); }
ScriptObject* WFrame_I::Create() { return NewEngineObject<WFrame_I>(); }
ScriptObject* WFrame_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WFrame_I>(extraBytes); }

void WFrame_I::Define() {
  DefineUIClass<WFrame_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WFrame_I::m_titleWidget>(0x01FFF0DB, "TitleWidget"),
      FieldMember<&WFrame_I::m_clipChildren>(0x02FFF0DB, "ClipChildren"),
      FieldMember<&WFrame_I::m_dragCaps>(0x03FFF0DB, "DragCaps"),
  };
  DefineMembers(members);
}

}  // namespace PM
