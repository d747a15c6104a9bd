#include "render/ShaderTexture.h"

#include "render/Texture2D.h"
#include "scene/BaseTransform.h"

namespace PM {

namespace {

}  // namespace

void ShaderTexture_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ShaderTexture_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderTexture_I::m_texture>(0x01FFF085, "Texture"),
      FieldMember<&ShaderTexture_I::m_texCoordSource>(0x02FFF085, "TexCoordSource"),
      FieldMember<&ShaderTexture_I::m_texCoordTransform>(0x03FFF085, "TexCoordTransform"),
  };
  DefineMembers(members);
}

}  // namespace PM
