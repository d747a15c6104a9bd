#include "ui/WChannel.h"

namespace PM {

const TypeRecord& WChannel_I::GetTypeRecord() { return UITypeRecord<WChannel_I>(); }
ScriptObject* WChannel_I::Create() { return UINew<WChannel_I>(); }
ScriptObject* WChannel_I::CreateExtra(uint32_t extraBytes) { return UINewExtra<WChannel_I>(extraBytes); }

void WChannel_I::Define() {
  DefineUIClass<WChannel_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WChannel_I::m_viewport>(0x01FFF0E0, "Viewport"),
  };
  DefineMembers(members);
}

}  // namespace PM
