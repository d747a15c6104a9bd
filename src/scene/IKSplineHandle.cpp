#include "scene/IKSplineHandle.h"


namespace PM {

void SIKSplineHandle_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SIKSplineHandle_I>(),
      ConcreteClass<TIKSplineHandle_I>(),
  };
  DefineClasses(classes);
  using T = TIKSplineHandle_I;
  const MemberDef members[] = {
      FieldMember<&T::m_splineCurve>(0x01FFF0F5, "SplineCurve"),
      FieldMember<&T::m_clusterHandles>(0x02FFF0F5, "ClusterHandleArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
