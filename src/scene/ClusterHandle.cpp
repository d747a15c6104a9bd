#include "scene/ClusterHandle.h"


namespace PM {

void SClusterHandle_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SClusterHandle_I>(),
      ConcreteClass<TClusterHandle_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&SClusterHandle_I::m_origin>(0x01FFF0C1, "Origin")};
  DefineMembers(members);
}
}  // namespace PM
