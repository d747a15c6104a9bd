#include "geometry/Instancer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineInstancerClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SInstancer_I>(SNode_I::kClassId, "SInstancer"),
      ConcreteClass<TInstancer_I>(TNode_I::kClassId, "TInstancer"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SInstancer_I::m_translations>(0x01FFF0F6, "TranslationArray"),
      FieldMember<&SInstancer_I::m_rotations>(0x02FFF0F6, "RotationArray"),
      FieldMember<&SInstancer_I::m_appearanceSelect>(0x03FFF0F6, "AppearanceSelectArray"),
      WeakArrayFieldMember<&TInstancer_I::m_inputNodes>(0x01FFF0F7, "InputNodeArray"),
  };
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x0F6, &DefineInstancerClasses);

}  // namespace PM
