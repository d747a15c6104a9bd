#include "render/FontTexture2D.h"

#include "core/Log.h"


namespace PM {

const char FontTexture2D_I::kDefaultCharacterMap[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
    "\xE4\xF6\xFC\xC4\xD6\xDC\xDF\xA9";

void FontTexture2D_I::Define() {
  const ClassDef classes[] = {ConcreteClass<FontTexture2D_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&FontTexture2D_I::m_fontName>(0x01FFF08D, "FontName"),
      FieldMember<&FontTexture2D_I::m_fontWeight>(0x02FFF08D, "FontWeight"),
      FieldMember<&FontTexture2D_I::m_fontItalic>(0x03FFF08D, "FontItalic"),
      FieldMember<&FontTexture2D_I::m_fakeShadow>(0x04FFF08D, "FakeShadow"),
      FieldMember<&FontTexture2D_I::m_imageSize>(0x05FFF08D, "ImageSize"),
      FieldMember<&FontTexture2D_I::m_characterSize>(0x06FFF08D, "CharacterSize"),
      FieldMember<&FontTexture2D_I::m_characterDistance>(0x07FFF08D, "CharacterDistance"),
      FieldMember<&FontTexture2D_I::m_characterMap>(0x08FFF08D, "CharacterMap"),
      FieldMember<&FontTexture2D_I::m_fontSmoothing>(0x09FFF08D, "FontSmoothing"),
  };
  DefineMembers(members);
}
ResultCode FontTexture2D_I::CreateFontImage() {
  Log(LogOutPipe(), kLevelDebug, "FontTexture2D::CreateFontImage: not supported yet.");
  return SOK;
}

}  // namespace PM
