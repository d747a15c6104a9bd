#include "scene/LODGroup.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineLODGroupClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SLODGroup_I>(SBranch_I::kClassId, "SLODGroup"),
      ConcreteClass<TLODGroup_I>(TBranch_I::kClassId, "TLODGroup"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLODGroup_I::m_thresholds>(0x01FFF058, "ThresholdArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x058, &DefineLODGroupClasses);

}  // namespace PM
