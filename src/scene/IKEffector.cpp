#include "scene/IKEffector.h"


namespace PM {

void SIKEffector_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SIKEffector_I>(),
      ConcreteClass<TIKEffector_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {FieldMember<&TIKEffector_I::m_translationLink>(0x01FFF051, "TranslationLink")};
  DefineMembers(members);
}
}  // namespace PM
