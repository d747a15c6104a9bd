#include "ui/WText.h"

#include <cstring>

#include "ui/TileCollection.h"

namespace PM {
namespace {

bool HoldsBrace(const String& text) { return std::memchr(text.CStr(), '{', size_t(text.Length())) != nullptr; }

}  // namespace

void WText_I::Define() {
  DefineUIClass<WText_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WText_I::m_tileCollection>(0x01FFF0DE, "TileCollection", 0x4),
      AccessorMember<&WText_I::GetWrapDimension, &WText_I::SetWrapDimension>(0x02FFF0DE, "WrapDimension"),
      AccessorMember<&WText_I::GetMaxLength, &WText_I::SetMaxLength>(0x03FFF0DE, "MaxLength"),
      FieldMember<&WText_I::m_maxLines>(0x04FFF0DE, "MaxLines"),
      AccessorMember<&WText_I::GetEditable, &WText_I::SetEditable>(0x05FFF0DE, "Editable"),
      FieldMember<&WText_I::m_keyFocus>(0x06FFF0DE, "KeyFocus"),
      AccessorMember<&WText_I::GetCursorPos, &WText_I::SetCursorPos>(0x07FFF0DE, "CursorPos"),
      FieldMember<&WText_I::m_selectionStart>(0x08FFF0DE, "SelectionStart"),
      FieldMember<&WText_I::m_selectionEnd>(0x09FFF0DE, "SelectionEnd"),
      FieldMember<&WText_I::m_characterMap>(0x0AFFF0DE, "CharacterMap"),
      FieldMember<&WText_I::m_lineSpacing>(0x0BFFF0DE, "LineSpacing"),
  };
  DefineMembers(members);
}

void WText_I::SetText(const String& text) {
  if (text == m_ownText) return;
  m_ownText = text;
  m_hasMarkup = !m_editable && HoldsBrace(m_ownText);
  m_layoutValid = false;
  m_cursorPos = std::min(m_cursorPos, m_ownText.Length());
  m_blink.Restart();
}

void WText_I::SetEditable(bool editable) {
  if (editable != m_editable) m_layoutValid = false;  // the working text gains or loses its " " and markup
  m_editable = editable;
  if (editable) {
    m_hasMarkup = false;
  } else {
    m_cursorPos = -1;
    m_hasMarkup = HoldsBrace(m_ownText);
  }
}

void WText_I::SetCursorPos(int32_t pos) {
  m_cursorPos = pos;
  m_blink.Restart();
}

void WText_I::SetWrapDimension(Vector3f wrap) {
  if (wrap == m_wrapDimension) return;
  m_wrapDimension = wrap;
  m_layoutValid = false;
}

void WText_I::SetMaxLength(int32_t length) {
  if (length == m_maxLength) return;
  m_maxLength = length;
  m_layoutValid = false;
}

}  // namespace PM
