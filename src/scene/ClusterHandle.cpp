#include "scene/ClusterHandle.h"

#include "classes/EngineClassRegistry.h"

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

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SClusterHandle_I>();

}  // namespace PM
