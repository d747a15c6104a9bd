// A programmable surface: vertex and fragment shader files, a material and textures.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class RenderMaterial_I;
class Texture_I;

class ShaderProgram_I
    : public EngineClass<ShaderProgram_I, ShaderExpression_I, ClassId::ShaderProgram, "ShaderProgram"> {
 public:
  static void Define();
  Obj<ScriptObject> m_vertexShaderFile;
  Obj<ScriptObject> m_fragmentShaderFile;
  Obj<RenderMaterial_I> m_material;
  Array<Obj<Texture_I>> m_textureArray;
};

}  // namespace PM
