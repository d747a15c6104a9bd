#include "ui/WSpacer.h"

namespace PM {

void WSpacer_I::Define() {
  DefineUIClass<WSpacer_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WSpacer_I::m_ratio>(0x01FFF0C7, "Ratio"),
  };
  DefineMembers(members);
}

}  // namespace PM
