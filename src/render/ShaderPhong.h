// A lit surface: colour, ambient, bump and reflection inputs and a material.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class RenderMaterial_I;

class ShaderPhong_I : public EngineClass<ShaderPhong_I, ShaderExpression_I, ClassId::ShaderPhong, "ShaderPhong"> {
 public:
  static void Define();
  Obj<ShaderExpression_I> m_color;
  Obj<ShaderExpression_I> m_ambient;
  Obj<ShaderExpression_I> m_bump;
  Obj<ShaderExpression_I> m_reflection;
  Obj<RenderMaterial_I> m_material;
};

}  // namespace PM
