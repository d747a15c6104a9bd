#include "anim/BlendControl.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineBlendControlClass() {
  const ClassDef classes[] = {ConcreteClass<BlendControl_I>(Object_I::kClassId, "BlendControl")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&BlendControl_I::m_weight>(0x01FFF08E, "Weight"),
      FieldMember<&BlendControl_I::m_staticBlend>(0x02FFF08E, "StaticBlend"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x08E, &DefineBlendControlClass);

}  // namespace
}  // namespace PM
