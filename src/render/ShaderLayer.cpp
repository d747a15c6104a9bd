#include "render/ShaderLayer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineShaderLayerClass() {
  const ClassDef classes[] = {ConcreteClass<ShaderLayer_I>(ShaderExpression_I::kClassId, "ShaderLayer")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderLayer_I::m_layer>(0x01FFF086, "Layer"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x086, &DefineShaderLayerClass);

}  // namespace
}  // namespace PM
