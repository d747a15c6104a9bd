#include "render/Texture2D.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void Texture2D_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Texture2D_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&Texture2D_I::m_wrapU, VEnum>(0x01FFF08C, "WrapU"),
      FieldMember<&Texture2D_I::m_wrapV, VEnum>(0x02FFF08C, "WrapV"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<Texture2D_I>();

}  // namespace PM
