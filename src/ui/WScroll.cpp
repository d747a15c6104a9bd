#include "ui/WScroll.h"

namespace PM {

void WScroll_I::Define() {
  DefineUIClass<WScroll_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WScroll_I::m_orientation>(0x01FFF0EC, "Orientation"),
  };
  DefineMembers(members);
}

}  // namespace PM
