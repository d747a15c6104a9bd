#include "scene/IKEffector.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineIKEffectorClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SIKEffector_I>(STransform_I::kClassId, "SIKEffector"),
      ConcreteClass<TIKEffector_I>(TTransform_I::kClassId, "TIKEffector"),
  };
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&TIKEffector_I::m_translationLink>(0x01FFF051, "TranslationLink")};
  DefineMembers(members);
}

static const bool kEntry = AddEngineClassEntry(0x050, &DefineIKEffectorClasses);

}  // namespace PM
