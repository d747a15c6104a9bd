#include "scene/SoundEmitter.h"


namespace PM {

using T = TSoundEmitter_I;

void SSoundEmitter_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSoundEmitter_I>(),
      ConcreteClass<TSoundEmitter_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&SSoundEmitter_I::m_fileObject>(0x01FFF070, "FileObject"),
      FieldMember<&T::m_playCount>(0x01FFF071, "PlayCount"),
      FieldMember<&T::m_pause>(0x02FFF071, "Pause"),
      FieldMember<&T::m_loop>(0x03FFF071, "Loop"),
      FieldMember<&T::m_volume>(0x04FFF071, "Volume"),
      FieldMember<&T::m_categoryVolume>(0x05FFF071, "CategoryVolume"),
      FieldMember<&T::m_pitch>(0x06FFF071, "Pitch"),
      ReadOnly(FieldMember<&T::m_sampleRate>(0x07FFF071, "SampleRate", 0x5)),
      ReadOnly(FieldMember<&T::m_sampleBits>(0x08FFF071, "SampleBits", 0x5)),
      ReadOnly(FieldMember<&T::m_channels>(0x09FFF071, "Channels", 0x5)),
      ReadOnly(FieldMember<&T::m_playTime>(0x0AFFF071, "PlayTime", 0x5)),
      FieldMember<&T::m_position>(0x0BFFF071, "Position"),
      FieldMember<&T::m_velocity>(0x0CFFF071, "Velocity"),
  };
  DefineMembers(members);
}
}  // namespace PM
