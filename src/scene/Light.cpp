#include "scene/Light.h"


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
}  // namespace PM
