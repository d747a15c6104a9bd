#include "render/RenderMaterial.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void RenderMaterial_I::Define() {
  const ClassDef classes[] = {ConcreteClass<RenderMaterial_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&RenderMaterial_I::m_ambientColor>(0x01FFF089, "AmbientColor"),
      FieldMember<&RenderMaterial_I::m_diffuseColor>(0x02FFF089, "DiffuseColor"),
      FieldMember<&RenderMaterial_I::m_specularColor>(0x03FFF089, "SpecularColor"),
      FieldMember<&RenderMaterial_I::m_emissionColor>(0x04FFF089, "EmissionColor"),
      FieldMember<&RenderMaterial_I::m_shininess>(0x05FFF089, "Shininess"),
      FieldMember<&RenderMaterial_I::m_transparency>(0x06FFF089, "Transparency"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<RenderMaterial_I>();

}  // namespace PM
