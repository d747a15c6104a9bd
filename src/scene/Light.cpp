#include "scene/Light.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void SLight_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SLight_I>(),
      ConcreteClass<TLight_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLight_I::m_color>(0x01FFF056, "Color"),
      FieldMember<&SLight_I::m_type, VEnum>(0x02FFF056, "Type"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SLight_I>();

}  // namespace PM
