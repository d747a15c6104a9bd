#include "scene/Branch.h"

#include "scene/EngineClassRegistry.h"

namespace PM {

static void DefineBranchClasses() {
  const ClassDef classes[] = {
      AbstractClass<SBranch_I>(SNode_I::kClassId, "SBranch"),
      AbstractClass<TBranch_I>(TNode_I::kClassId, "TBranch"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&TBranch_I::m_children>(kMemberTBranchChild, "Child", 0x1)};
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x046, &DefineBranchClasses);

}  // namespace PM
