#include "ui/WMenuItem.h"

namespace PM {

void WMenuItem_I::Define() {
  DefineUIClass<WMenuItem_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WMenuItem_I::m_showArrow>(0x02FFF0CF, "ShowArrow"),
  };
  DefineMembers(members);
}

}  // namespace PM
