#include "render/ShaderLayer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void ShaderLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ShaderLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderLayer_I::m_layer>(0x01FFF086, "Layer"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ShaderLayer_I>();

}  // namespace PM
