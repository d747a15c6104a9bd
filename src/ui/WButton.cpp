#include "ui/WButton.h"

#include "ui/WPopup.h"

namespace PM {

void WButton_I::Define() {
  DefineUIClass<WButton_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WButton_I::m_state>(0x01FFF0E9, "State"),
      FieldMember<&WButton_I::m_iconId>(0x02FFF0E9, "IconID"),
      FieldMember<&WButton_I::m_iconWidget>(0x03FFF0E9, "IconWidget"),
      FieldMember<&WButton_I::m_iconState>(0x04FFF0E9, "IconState"),
      FieldMember<&WButton_I::m_subMenu>(0x05FFF0E9, "SubMenu"),
      FieldMember<&WButton_I::m_buttonMode>(0x06FFF0E9, "ButtonMode"),
  };
  DefineMembers(members);
}

}  // namespace PM
