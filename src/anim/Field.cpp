#include "anim/Field.h"

#include "anim/NodeAccess.h"
#include "classes/EngineClassRegistry.h"

namespace PM {

Matrix4f TField_I::ParticleSpaceInverse(TBaseTransform_I* P) {
  return P ? P->GetModelViewMatrixInverse() : kIdentityMatrix4f;
}

Matrix4f TField_I::FieldMatrix() const {
  const auto* t = As<TBaseTransform_I>(GetParentTransform());
  return t ? t->GetModelViewMatrix() : kIdentityMatrix4f;
}

void SField_I::Define() {
  const ClassDef classes[] = {
      AbstractClass<SField_I>(),
      AbstractClass<TField_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SField_I::m_magnitude>(0x01FFF06A, "Magnitude"),
      FieldMember<&SField_I::m_attenuation>(0x02FFF06A, "Attenuation"),
      FieldMember<&SField_I::m_maxDistance>(0x03FFF06A, "MaxDistance"),
      FieldMember<&SField_I::m_useMaxDistance>(0x04FFF06A, "UseMaxDistance"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SField_I>();

}  // namespace PM
