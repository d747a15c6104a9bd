#include "anim/BlendControl.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void BlendControl_I::Define() {
  const ClassDef classes[] = {ConcreteClass<BlendControl_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&BlendControl_I::m_weight>(0x01FFF08E, "Weight"),
      FieldMember<&BlendControl_I::m_staticBlend>(0x02FFF08E, "StaticBlend"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<BlendControl_I>();

}  // namespace PM
