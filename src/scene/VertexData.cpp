#include "scene/VertexData.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

// The root and each typed stream are entries of their own, each defined with its one member.
void VertexData_I::Define() {
  const ClassDef classes[] = {AbstractClass<VertexData_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&VertexData_I::m_usage>(0x01FFF0A0, "Usage")};
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered =
    EnterEngineClasses<VertexData_I, VertexDataF32_I, VertexDataVector2f_I, VertexDataVector3f_I, VertexDataVector4f_I,
                       VertexDataMatrix4f_I>();

}  // namespace PM
