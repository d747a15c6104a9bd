// The fixed render state of drawn geometry, naming its surface expression and program.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"

namespace PM {

class ShaderExpression_I;
class ShaderProgram_I;

class RenderShader_I : public EngineClass<RenderShader_I, Object_I, ClassId::RenderShader, "RenderShader"> {
 public:
  static void Define();
  Obj<ShaderExpression_I> m_surface;
  int32_t m_multiDrawLayer = 16;
  bool m_lightEnable = true;
  bool m_depthTestEnable = true;
  bool m_cullEnable = true;
  bool m_depthWriteEnable = true;
  Vector2f m_depthBias = {0.0f, 0.0f};
  Obj<ShaderProgram_I> m_program;
  int32_t m_preloadMode = 1;
  uint32_t m_visibility = 1;
};

}  // namespace PM
