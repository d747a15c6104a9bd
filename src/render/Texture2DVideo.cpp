#include "render/Texture2DVideo.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineTexture2DVideoClass() {
  const ClassDef classes[] = {ConcreteClass<Texture2DVideo_I>(Object_I::kClassId, "Texture2DVideo")};
  DefineClasses(classes);
  const MemberDef members[] = {
      ReadOnly(FieldMember<&Texture2DVideo_I::m_videoLength>(0x01FFF10B, "VideoLength", 0x5)),
      FieldMember<&Texture2DVideo_I::m_videoPosition>(0x02FFF10B, "VideoPosition", 0x5),
      FieldMember<&Texture2DVideo_I::m_paused>(0x03FFF10B, "Paused", 0x5),
      ReadOnly(FieldMember<&Texture2DVideo_I::m_videoDimension>(0x04FFF10B, "VideoDimension", 0x5)),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x10B, &DefineTexture2DVideoClass);

}  // namespace
}  // namespace PM
