#include "ui/WEffect.h"

namespace PM {

void WEffect_I::Define() {
  DefineUIClass<WEffect_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WEffect_I::m_blendTo>(0x01FFF0C4, "BlendTo"),
      FieldMember<&WEffect_I::m_blendTime>(0x02FFF0C4, "BlendTime"),
      FieldMember<&WEffect_I::m_blendCurrent>(0x03FFF0C4, "BlendCurrent"),
      ReadOnly(FieldMember<&WEffect_I::m_blendRendered>(0x04FFF0C4, "BlendRendered", 0x5)),
      FieldMember<&WEffect_I::m_visibility>(0x05FFF0C4, "Visibility"),
      FieldMember<&WEffect_I::m_branchColor>(0x06FFF0C4, "BranchColor"),
      FieldMember<&WEffect_I::m_position>(0x07FFF0C4, "Position"),
      FieldMember<&WEffect_I::m_dimension>(0x08FFF0C4, "Dimension"),
      FieldMember<&WEffect_I::m_color>(0x09FFF0C4, "Color"),
      FieldMember<&WEffect_I::m_state>(0x0AFFF0C4, "State"),
      FieldMember<&WEffect_I::m_sound>(0x0BFFF0C4, "Sound"),
  };
  DefineMembers(members);
}

}  // namespace PM
