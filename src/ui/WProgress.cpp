#include "ui/WProgress.h"

namespace PM {

void WProgress_I::Define() {
  DefineUIClass<WProgress_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WProgress_I::m_progress>(0x01FFF0CC, "Progress"),
      FieldMember<&WProgress_I::m_barColor>(0x02FFF0CC, "BarColor"),
  };
  DefineMembers(members);
}

}  // namespace PM
