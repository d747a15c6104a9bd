#include "anim/BlendControl.h"


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
}  // namespace PM
