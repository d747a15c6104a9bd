#include "ui/WTransform.h"

namespace PM {

void WTransform_I::Define() {
  DefineUIClass<WTransform_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WTransform_I::m_rotation>(0x01FFF0DF, "Rotation"),
      FieldMember<&WTransform_I::m_rotationOrder, VEnum>(0x02FFF0DF, "RotationOrder"),
      FieldMember<&WTransform_I::m_rotationPivot>(0x03FFF0DF, "RotationPivot"),
      FieldMember<&WTransform_I::m_scaling>(0x04FFF0DF, "Scaling"),
      FieldMember<&WTransform_I::m_scalingPivot>(0x05FFF0DF, "ScalingPivot"),
  };
  DefineMembers(members);
}

}  // namespace PM
