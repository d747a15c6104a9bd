#include "ui/WScrollFrame.h"

namespace PM {

void WScrollFrame_I::Define() {
  DefineUIClass<WScrollFrame_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WScrollFrame_I::m_scrollXMode>(0x01FFF0E3, "ScrollXMode"),
      FieldMember<&WScrollFrame_I::m_scrollYMode>(0x02FFF0E3, "ScrollYMode"),
  };
  DefineMembers(members);
}

}  // namespace PM
