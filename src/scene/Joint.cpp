#include "scene/Joint.h"


namespace PM {

void SJoint_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SJoint_I>(),
      ConcreteClass<TJoint_I>(),
  };
  DefineClasses(classes);
  using S = SJoint_I;
  const MemberDef members[] = {
      FieldMember<&S::m_rotationAxis>(0x01FFF04E, "RotationAxis"),
      FieldMember<&S::m_jointOrientation>(0x02FFF04E, "JointOrientation"),
      FieldMember<&S::m_preferredAngle>(0x03FFF04E, "PreferredAngle"),
      FieldMember<&S::m_parentScaling>(0x04FFF04E, "ParentScaling"),
      FieldMember<&S::m_parentScalingEnable>(0x05FFF04E, "ParentScalingEnable"),
      ReadOnly(FieldMember<&TJoint_I::m_ikDependency>(0x01FFF04F, "IKDependency", 0x3)),
  };
  DefineMembers(members);
}
}  // namespace PM
