// A lit surface: colour, ambient, bump and reflection inputs and a material.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class RenderMaterial_I;

class ShaderPhong_I : public ShaderExpression_I {
 public:
  static constexpr uint32_t kClassId = ClassId::ShaderPhong;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderPhong_I>("ShaderPhong"); }
  static ScriptObject* Create() { return NewEngineObject<ShaderPhong_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ShaderPhong_I>(extraBytes); }

  Obj<ShaderExpression_I> m_color;
  Obj<ShaderExpression_I> m_ambient;
  Obj<ShaderExpression_I> m_bump;
  Obj<ShaderExpression_I> m_reflection;
  Obj<RenderMaterial_I> m_material;
};

}  // namespace PM
