#include "render/ShaderTexture.h"

#include "classes/EngineClassRegistry.h"
#include "render/Texture2D.h"
#include "scene/BaseTransform.h"

namespace PM {

namespace {}  // namespace

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

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ShaderTexture_I>();

}  // namespace PM
