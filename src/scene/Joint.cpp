#include "scene/Joint.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineJointClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SJoint_I>(SSimpleTransform_I::kClassId, "SJoint"),
      ConcreteClass<TJoint_I>(TSimpleTransform_I::kClassId, "TJoint"),
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

static const bool kEntry = AddEngineClassEntry(0x04E, &DefineJointClasses);

}  // namespace PM
