#include "ui/UIElement.h"

#include "render/RenderShader.h"
#include "ui/FontStyle.h"

namespace PM {

void UIElement_I::Define() {
  DefineUIClass<UIElement_I, Object_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&UIElement_I::m_shaderArray>(0x01FFF0E8, "ShaderArray", 0x4),
      FieldMember<&UIElement_I::m_atomData>(0x02FFF0E8, "AtomData"),
      FieldMember<&UIElement_I::m_defaultDim>(0x03FFF0E8, "DefaultDim"),
      FieldMember<&UIElement_I::m_borderMin>(0x04FFF0E8, "BorderMin"),
      FieldMember<&UIElement_I::m_borderMax>(0x05FFF0E8, "BorderMax"),
      FieldMember<&UIElement_I::m_iconDim>(0x06FFF0E8, "IconDim"),
      FieldMember<&UIElement_I::m_iconSpacing>(0x07FFF0E8, "IconSpacing"),
      FieldMember<&UIElement_I::m_arrowDim>(0x08FFF0E8, "ArrowDim"),
      FieldMember<&UIElement_I::m_arrowSpacing>(0x09FFF0E8, "ArrowSpacing"),
      FieldMember<&UIElement_I::m_barDim>(0x0AFFF0E8, "BarDim"),
      FieldMember<&UIElement_I::m_handleDim>(0x0BFFF0E8, "HandleDim"),
      FieldMember<&UIElement_I::m_fontStyle>(0x0CFFF0E8, "FontStyle", 0x4),
      FieldMember<&UIElement_I::m_fontColor>(0x0DFFF0E8, "FontColor"),
      FieldMember<&UIElement_I::m_soundFocus>(0x0EFFF0E8, "SoundFocus"),
      FieldMember<&UIElement_I::m_soundClick>(0x0FFFF0E8, "SoundClick"),
      FieldMember<&UIElement_I::m_cursorFocus>(0x10FFF0E8, "CursorFocus"),
      FieldMember<&UIElement_I::m_iconPos>(0x11FFF0E8, "IconPos"),
  };
  DefineMembers(members);
}

}  // namespace PM
