#include "ui/WCheckBox.h"

namespace PM {

void WCheckBox_I::Define() {
  DefineUIClass<WCheckBox_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WCheckBox_I::m_state>(0x01FFF0E4, "State"),
  };
  DefineMembers(members);
}

}  // namespace PM
