#include "render/ShaderPhong.h"

#include "classes/EngineClassRegistry.h"
#include "render/RenderMaterial.h"

namespace PM {

void ShaderPhong_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ShaderPhong_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ShaderPhong_I::m_color>(0x01FFF084, "Color"),
      FieldMember<&ShaderPhong_I::m_ambient>(0x02FFF084, "Ambient"),
      FieldMember<&ShaderPhong_I::m_bump>(0x03FFF084, "Bump"),
      FieldMember<&ShaderPhong_I::m_reflection>(0x04FFF084, "Reflection"),
      FieldMember<&ShaderPhong_I::m_material>(0x05FFF084, "Material"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<ShaderPhong_I>();

}  // namespace PM
