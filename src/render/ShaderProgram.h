// A programmable surface: vertex and fragment shader files, a material and textures.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class RenderMaterial_I;
class Texture_I;

class ShaderProgram_I : public ShaderExpression_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ShaderProgram;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderProgram_I>("ShaderProgram"); }
  static ScriptObject* Create() { return NewEngineObject<ShaderProgram_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ShaderProgram_I>(extraBytes); }

  Obj<ScriptObject> m_vertexShaderFile;
  Obj<ScriptObject> m_fragmentShaderFile;
  Obj<RenderMaterial_I> m_material;
  Array<Obj<Texture_I>> m_textureArray;
};

}  // namespace PM
