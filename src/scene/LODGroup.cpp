#include "scene/LODGroup.h"


namespace PM {

void SLODGroup_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SLODGroup_I>(),
      ConcreteClass<TLODGroup_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLODGroup_I::m_thresholds>(0x01FFF058, "ThresholdArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
