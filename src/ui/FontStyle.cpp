#include "ui/FontStyle.h"

#include "render/RenderShader.h"

namespace PM {

void FontStyle_I::Define() {
  DefineUIClass<FontStyle_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&FontStyle_I::m_fontShader>(0x01FFF0D3, "FontShader"),
      FieldMember<&FontStyle_I::m_fontSize>(0x02FFF0D3, "FontSize"),
      FieldMember<&FontStyle_I::m_shadowOffset>(0x03FFF0D3, "ShadowOffset"),
      FieldMember<&FontStyle_I::m_shadowColor>(0x04FFF0D3, "ShadowColor"),
  };
  DefineMembers(members);
}

}  // namespace PM
