#include "render/RenderShader.h"

#include "classes/EngineClassRegistry.h"
#include "render/ShaderExpression.h"
#include "render/ShaderProgram.h"

namespace PM {

void RenderShader_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderShader_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&RenderShader_I::m_surface>(0x01FFF082, "Surface"),
      FieldMember<&RenderShader_I::m_multiDrawLayer>(0x02FFF082, "MultiDrawLayer"),
      FieldMember<&RenderShader_I::m_lightEnable>(0x03FFF082, "LightEnable"),
      FieldMember<&RenderShader_I::m_depthTestEnable>(0x04FFF082, "DepthTestEnable"),
      FieldMember<&RenderShader_I::m_cullEnable>(0x05FFF082, "CullEnable"),
      FieldMember<&RenderShader_I::m_depthWriteEnable>(0x06FFF082, "DepthWriteEnable"),
      FieldMember<&RenderShader_I::m_depthBias>(0x07FFF082, "DepthBias"),
      FieldMember<&RenderShader_I::m_program>(0x08FFF082, "Program"),
      FieldMember<&RenderShader_I::m_preloadMode>(0x09FFF082, "PreloadMode"),
      FieldMember<&RenderShader_I::m_visibility>(0x0AFFF082, "Visibility"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<RenderShader_I>();

}  // namespace PM
