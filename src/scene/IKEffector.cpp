#include "scene/IKEffector.h"

#include "classes/EngineClassRegistry.h"

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

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SIKEffector_I>();

}  // namespace PM
