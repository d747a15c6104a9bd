#include "scene/LODGroup.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

int32_t SLODGroup_I::SelectLevelIn(const Array<float>& thresholds, float d2) {
  for (int32_t i = thresholds.Count() - 1; i >= 0; --i)
    if (d2 >= thresholds[i] * thresholds[i]) return i + 1;
  return 0;
}

void SLODGroup_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SLODGroup_I>(),
      ConcreteClass<TLODGroup_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLODGroup_I::m_thresholds>(kMemberLODGroupThresholdArray, "ThresholdArray"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SLODGroup_I>();

}  // namespace PM
