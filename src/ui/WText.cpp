#include "ui/WText.h"

#include "ui/TileCollection.h"

namespace PM {

void WText_I::Define() {
  DefineUIClass<WText_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WText_I::m_tileCollection>(0x01FFF0DE, "TileCollection", 0x4),
      FieldMember<&WText_I::m_wrapDimension>(0x02FFF0DE, "WrapDimension"),
      FieldMember<&WText_I::m_maxLength>(0x03FFF0DE, "MaxLength"),
      FieldMember<&WText_I::m_maxLines>(0x04FFF0DE, "MaxLines"),
      FieldMember<&WText_I::m_editable>(0x05FFF0DE, "Editable"),
      FieldMember<&WText_I::m_keyFocus>(0x06FFF0DE, "KeyFocus"),
      FieldMember<&WText_I::m_cursorPos>(0x07FFF0DE, "CursorPos"),
      FieldMember<&WText_I::m_selectionStart>(0x08FFF0DE, "SelectionStart"),
      FieldMember<&WText_I::m_selectionEnd>(0x09FFF0DE, "SelectionEnd"),
      FieldMember<&WText_I::m_characterMap>(0x0AFFF0DE, "CharacterMap"),
      FieldMember<&WText_I::m_lineSpacing>(0x0BFFF0DE, "LineSpacing"),
  };
  DefineMembers(members);
}

}  // namespace PM
