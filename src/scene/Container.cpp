#include "scene/Container.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineContainerClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SContainer_I>(SLeaf_I::kClassId, "SContainer"),
      ConcreteClass<TContainer_I>(TLeaf_I::kClassId, "TContainer"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SContainer_I::m_objects>(0x01FFF074, "Object"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x074, &DefineContainerClasses);

}  // namespace PM
