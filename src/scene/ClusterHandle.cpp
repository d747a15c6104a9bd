#include "scene/ClusterHandle.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineClusterHandleClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SClusterHandle_I>(STransform_I::kClassId, "SClusterHandle"),
      ConcreteClass<TClusterHandle_I>(TTransform_I::kClassId, "TClusterHandle"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&SClusterHandle_I::m_origin>(0x01FFF0C1, "Origin")};
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x0C1, &DefineClusterHandleClasses);

}  // namespace PM
