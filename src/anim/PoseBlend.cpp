#include "anim/PoseBlend.h"

#include "anim/BlendControl.h"
#include "anim/ConnectionGroup.h"

namespace PM {

void PoseBlend_I::Define() {
  const ClassDef classes[] = {ConcreteClass<PoseBlend_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&PoseBlend_I::m_blendControl>(0x01FFF0C2, "BlendControl"),
      FieldMember<&PoseBlend_I::m_poseDefault>(0x02FFF0C2, "PoseDefault"),
      FieldMember<&PoseBlend_I::m_operatorArray, VEnum>(0x03FFF0C2, "OperatorArray"),
      FieldMember<&PoseBlend_I::m_valueArray>(0x04FFF0C2, "ValueArray"),
      FieldMember<&PoseBlend_I::m_connectionGroup>(0x05FFF0C2, "ConnectionGroup"),
  };
  DefineMembers(members);
  static const char* const kValueNames[] = {"Add", "Blend", "Min", "Max", "Mul"};
  DefineEnumType(MakeEnumType(0xFFFFF0C3, "PoseBlend", "OperatorEnum", kValueNames));
}
}  // namespace PM
