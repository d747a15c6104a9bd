#include "ui/WKeyHandler.h"

namespace PM {

void WKeyHandler_I::Define() {
  DefineUIClass<WKeyHandler_I, WHandler_I>();
  const MemberDef members[] = {
      AccessorMember<&WKeyHandler_I::GetKey, &WKeyHandler_I::SetKey>(0x01FFF0BC, "Key"),
      AccessorMember<&WKeyHandler_I::GetShift, &WKeyHandler_I::SetShift>(0x02FFF0BC, "Shift"),
      AccessorMember<&WKeyHandler_I::GetControl, &WKeyHandler_I::SetControl>(0x03FFF0BC, "Control"),
      AccessorMember<&WKeyHandler_I::GetAlt, &WKeyHandler_I::SetAlt>(0x04FFF0BC, "Alt"),
      FieldMember<&WKeyHandler_I::m_keyCode>(0x05FFF0BC, "KeyCode", 0x1),
      FieldMember<&WKeyHandler_I::m_modifier>(0x06FFF0BC, "Modifier", 0x1),
  };
  DefineMembers(members);
}

}  // namespace PM
