#include "anim/SplineBase.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineSplineBaseClass() {
  const ClassDef classes[] = {AbstractClass<SplineBase_I>(Object_I::kClassId, "SplineBase")};
  DefineClasses(classes);
  const MemberDef members[] = {
      IndexedFieldMember<&SplineBase_I::m_keyTime>(0x01FFF095, "KeyTime"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x095, &DefineSplineBaseClass);

}  // namespace
}  // namespace PM
