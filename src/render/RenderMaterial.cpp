#include "render/RenderMaterial.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineRenderMaterialClass() {
  const ClassDef classes[] = {ConcreteClass<RenderMaterial_I>(Object_I::kClassId, "RenderMaterial")};
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

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x089, &DefineRenderMaterialClass);

}  // namespace
}  // namespace PM
