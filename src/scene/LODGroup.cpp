#include "scene/LODGroup.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

int32_t SLODGroup_I::SelectLevelIn(const Array<float>& thresholds, float d2) {
  for (int32_t i = thresholds.Count() - 1; i >= 0; --i)
    if (d2 >= thresholds[i] * thresholds[i]) return i + 1;
  return 0;
}

static void DefineLODGroupClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SLODGroup_I>(SBranch_I::kClassId, "SLODGroup"),
      ConcreteClass<TLODGroup_I>(TBranch_I::kClassId, "TLODGroup"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLODGroup_I::m_thresholds>(kMemberLODGroupThresholdArray, "ThresholdArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x058, &DefineLODGroupClasses);

}  // namespace PM
