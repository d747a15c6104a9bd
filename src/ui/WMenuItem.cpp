#include "ui/WMenuItem.h"

namespace PM {

const TypeRecord& WMenuItem_I::GetTypeRecord() { return UITypeRecord<WMenuItem_I>(); }
ScriptObject* WMenuItem_I::Create() { return UINew<WMenuItem_I>(); }
ScriptObject* WMenuItem_I::CreateExtra(uint32_t extraBytes) { return UINewExtra<WMenuItem_I>(extraBytes); }

void WMenuItem_I::Define() {
  DefineUIClass<WMenuItem_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WMenuItem_I::m_showArrow>(0x02FFF0CF, "ShowArrow"),
  };
  DefineMembers(members);
}

}  // namespace PM
