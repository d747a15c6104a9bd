// A textured surface: the texture, its coordinate source and coordinate transform.
#pragma once

#include "classes/EngineClass.h"
#include "render/ShaderExpression.h"

namespace PM {

class TBaseTransform_I;
class Texture2D_I;

class ShaderTexture_I
    : public EngineClass<ShaderTexture_I, ShaderExpression_I, ClassId::ShaderTexture, "ShaderTexture"> {
 public:
  static void Define();
  Obj<Texture2D_I> m_texture;
  int32_t m_texCoordSource = 0;
  Obj<TBaseTransform_I> m_texCoordTransform;
};

}  // namespace PM
