#include "render/ShaderTexture.h"

#include "render/Texture2D.h"
#include "scene/BaseTransform.h"
#include "scene/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineShaderTextureClass() {
  const ClassDef classes[] = {ConcreteClass<ShaderTexture_I>(ShaderExpression_I::kClassId, "ShaderTexture")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderTexture_I::m_texture>(0x01FFF085, "Texture"),
      FieldMember<&ShaderTexture_I::m_texCoordSource>(0x02FFF085, "TexCoordSource"),
      FieldMember<&ShaderTexture_I::m_texCoordTransform>(0x03FFF085, "TexCoordTransform"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x085, &DefineShaderTextureClass);

}  // namespace
}  // namespace PM
