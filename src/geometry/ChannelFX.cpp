#include "geometry/ChannelFX.h"


namespace PM {

void SChannelFX_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SChannelFX_I>(),
      ConcreteClass<TChannelFX_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SChannelFX_I::m_enableBloom>(0x01FFF0FC, "EnableBloom"),
      FieldMember<&SChannelFX_I::m_enableDOF>(0x02FFF0FC, "EnableDOF"),
      FieldMember<&SChannelFX_I::m_enableColorFilter>(0x03FFF0FC, "EnableColorFilter"),
      FieldMember<&SChannelFX_I::m_bloomBlurCount>(0x04FFF0FC, "BloomBlurCount"),
      FieldMember<&SChannelFX_I::m_focusDistance>(0x05FFF0FC, "FocusDistance"),
      FieldMember<&SChannelFX_I::m_colorFilterMode>(0x06FFF0FC, "ColorFilterMode"),
  };
  DefineMembers(members);
}
}  // namespace PM
