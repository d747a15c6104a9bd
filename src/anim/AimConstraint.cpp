#include "anim/AimConstraint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void AimConstraint_I::Define() {
  const ClassDef classes[] = {ConcreteClass<AimConstraint_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&AimConstraint_I::m_aimVector>(0x01FFF05D, "AimVector"),
      FieldMember<&AimConstraint_I::m_upVector>(0x02FFF05D, "UpVector"),
      FieldMember<&AimConstraint_I::m_upTargetVector>(0x03FFF05D, "UpTargetVector"),
      FieldMember<&AimConstraint_I::m_upTarget>(0x04FFF05D, "UpTarget"),
      FieldMember<&AimConstraint_I::m_orientOffset>(0x05FFF05D, "OrientOffset"),
      FieldMember<&AimConstraint_I::m_twist>(0x06FFF05D, "Twist"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<AimConstraint_I>();

}  // namespace PM
