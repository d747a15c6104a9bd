#include "render/Texture2DVideo.h"


namespace PM {

void Texture2DVideo_I::Define() {
  const ClassDef classes[] = {ConcreteClass<Texture2DVideo_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      ReadOnly(FieldMember<&Texture2DVideo_I::m_videoLength>(0x01FFF10B, "VideoLength", 0x5)),
      FieldMember<&Texture2DVideo_I::m_videoPosition>(0x02FFF10B, "VideoPosition", 0x5),
      FieldMember<&Texture2DVideo_I::m_paused>(0x03FFF10B, "Paused", 0x5),
      ReadOnly(FieldMember<&Texture2DVideo_I::m_videoDimension>(0x04FFF10B, "VideoDimension", 0x5)),
  };
  DefineMembers(members);
}
}  // namespace PM
