#include "ui/FontStyle.h"

#include "render/RenderShader.h"

namespace PM {

const TypeRecord& FontStyle_I::GetTypeRecord() { return EngineTypeRecord<FontStyle_I>(kName); }
ScriptObject* FontStyle_I::Create() { return NewEngineObject<FontStyle_I>(); }
ScriptObject* FontStyle_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<FontStyle_I>(extraBytes); }

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
