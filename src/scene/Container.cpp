#include "scene/Container.h"


namespace PM {

void SContainer_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SContainer_I>(),
      ConcreteClass<TContainer_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SContainer_I::m_objects>(0x01FFF074, "Object"),
  };
  DefineMembers(members);
}
}  // namespace PM
