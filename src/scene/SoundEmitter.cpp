#include "scene/SoundEmitter.h"

#include "classes/EngineClassRegistry.h"

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
      AccessorMember<&T::GetPlayCount, &T::SetPlayCount>(0x01FFF071, "PlayCount"),
      AccessorMember<&T::GetPause, &T::SetPause>(0x02FFF071, "Pause"),
      FieldMember<&T::m_loop>(0x03FFF071, "Loop"),
      AccessorMember<&T::GetVolume, &T::SetVolume>(0x04FFF071, "Volume"),
      AccessorMember<&T::GetCategoryVolume, &T::SetCategoryVolume>(0x05FFF071, "CategoryVolume"),
      AccessorMember<&T::GetPitch, &T::SetPitch>(0x06FFF071, "Pitch"),
      AccessorMember<&T::GetSampleRate, nullptr>(0x07FFF071, "SampleRate", 0x5),
      AccessorMember<&T::GetSampleBits, nullptr>(0x08FFF071, "SampleBits", 0x5),
      AccessorMember<&T::GetChannels, nullptr>(0x09FFF071, "Channels", 0x5),
      AccessorMember<&T::GetPlayTime, nullptr>(0x0AFFF071, "PlayTime", 0x5),
      AccessorMember<&T::GetPosition, &T::SetPosition>(0x0BFFF071, "Position"),
      AccessorMember<&T::GetVelocity, &T::SetVelocity>(0x0CFFF071, "Velocity"),
  };
  DefineMembers(members);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSoundEmitter_I>();

}  // namespace PM
