#include "scene/Light.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineLightClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SLight_I>(SLeaf_I::kClassId, "SLight"),
      ConcreteClass<TLight_I>(TLeaf_I::kClassId, "TLight"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SLight_I::m_color>(0x01FFF056, "Color"),
      FieldMember<&SLight_I::m_type, VEnum>(0x02FFF056, "Type"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x056, &DefineLightClasses);

}  // namespace PM
