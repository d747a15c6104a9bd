#include "scene/IKSplineHandle.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineIKSplineHandleClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SIKSplineHandle_I>(SIKHandle_I::kClassId, "SIKSplineHandle"),
      ConcreteClass<TIKSplineHandle_I>(TIKHandle_I::kClassId, "TIKSplineHandle"),
  };
  DefineClasses(classes);
  using T = TIKSplineHandle_I;
  const MemberDef members[] = {
      FieldMember<&T::m_splineCurve>(0x01FFF0F5, "SplineCurve"),
      FieldMember<&T::m_clusterHandles>(0x02FFF0F5, "ClusterHandleArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x0F4, &DefineIKSplineHandleClasses);

}  // namespace PM
