#include "render/ShaderProgram.h"

#include "classes/EngineClassRegistry.h"
#include "classes/FileObject.h"
#include "render/RenderMaterial.h"
#include "render/Texture.h"

namespace PM {

ShaderProgram_I::~ShaderProgram_I() { ReleaseHandle(); }

void ShaderProgram_I::ReleaseHandle() {
  // Detached first: an unload that reaches back into this program finds no handle.
  Ptr<ShaderProgramHandle> handle = std::move(m_handle);
  if (handle) handle->Unload();
}

namespace {}  // namespace

void ShaderProgram_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ShaderProgram_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderProgram_I::m_vertexShaderFile>(0x01FFF087, "VertexShaderFile"),
      FieldMember<&ShaderProgram_I::m_fragmentShaderFile>(0x02FFF087, "FragmentShaderFile"),
      FieldMember<&ShaderProgram_I::m_material>(0x03FFF087, "Material"),
      FieldMember<&ShaderProgram_I::m_textureArray>(0x04FFF087, "TextureArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ShaderProgram_I>();

}  // namespace PM
