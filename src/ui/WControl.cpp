#include "ui/WControl.h"

#include "ui/FontStyle.h"

namespace PM {

void WControl_I::Define() {
  DefineUIClass<WControl_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WControl_I::m_fontStyle>(0x01FFF0EB, "FontStyle", 0x4),
      FieldMember<&WControl_I::m_fontColor>(0x02FFF0EB, "FontColor"),
      AccessorMember<&WControl_I::GetLabel, &WControl_I::SetLabel>(0x03FFF0EB, "Label", 0x5),
      AccessorMember<&WControl_I::GetText, &WControl_I::SetText>(0x04FFF0EB, "Text"),
  };
  DefineMembers(members);
}

}  // namespace PM
