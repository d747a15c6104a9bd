#include "ui/WPopup.h"

namespace PM {

void WPopup_I::Define() {
  DefineUIClass<WPopup_I, WSizer_I>();
  const MemberDef members[] = {
      FieldMember<&WPopup_I::m_autoClose>(0x01FFF0EE, "AutoClose"),
  };
  DefineMembers(members);
}

}  // namespace PM
