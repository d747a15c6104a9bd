#include "scene/IKHandle.h"


namespace PM {

void SIKHandle_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SIKHandle_I>(),
      ConcreteClass<TIKHandle_I>(),
  };
  DefineClasses(classes);
  using S = SIKHandle_I;
  using T = TIKHandle_I;
  const MemberDef members[] = {
      FieldMember<&S::m_poleVector>(0x01FFF052, "PoleVector"),
      FieldMember<&S::m_twist>(0x02FFF052, "Twist"),
      FieldMember<&S::m_solverEnable>(0x03FFF052, "SolverEnable"),
      FieldMember<&S::m_solverMode>(0x04FFF052, "SolverMode"),
      FieldMember<&T::m_startJoint>(0x01FFF053, "StartJoint"),
      FieldMember<&T::m_endEffector>(0x02FFF053, "EndEffector"),
  };
  DefineMembers(members);
}
}  // namespace PM
