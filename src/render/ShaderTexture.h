// A textured surface: the texture, its coordinate source and coordinate transform.
#pragma once

#include "render/ShaderExpression.h"
#include "scene/EngineClass.h"

namespace PM {

class TBaseTransform_I;
class Texture2D_I;

class ShaderTexture_I : public ShaderExpression_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF085;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<ShaderTexture_I>("ShaderTexture"); }
  static ScriptObject* Create() { return NewEngineObject<ShaderTexture_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<ShaderTexture_I>(extraBytes); }

  Obj<Texture2D_I> m_texture;
  int32_t m_texCoordSource = 0;
  Obj<TBaseTransform_I> m_texCoordTransform;
};

}  // namespace PM
