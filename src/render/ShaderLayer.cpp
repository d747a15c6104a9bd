#include "render/ShaderLayer.h"


namespace PM {

void ShaderLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ShaderLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderLayer_I::m_layer>(0x01FFF086, "Layer"),
  };
  DefineMembers(members);
}
}  // namespace PM
