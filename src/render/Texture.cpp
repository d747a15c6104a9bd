#include "render/Texture.h"

#include "render/ImageLayer.h"

namespace PM {

void Texture_I::Define() {
  const ClassDef classes[] = {AbstractClass<Texture_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&Texture_I::m_fileObject>(0x01FFF08B, "FileObject"),
      FieldMember<&Texture_I::m_defaultColor>(0x02FFF08B, "DefaultColor"),
      FieldMember<&Texture_I::m_mipMapEnable>(0x03FFF08B, "MipMapEnable"),
      FieldMember<&Texture_I::m_anisotropic>(0x04FFF08B, "Anisotropic"),
      FieldMember<&Texture_I::m_lodBias>(0x05FFF08B, "LODBias"),
      FieldMember<&Texture_I::m_imageLayer>(0x06FFF08B, "ImageLayer"),
      FieldMember<&Texture_I::m_minFilter, VEnum>(0x07FFF08B, "MinFilter"),
      FieldMember<&Texture_I::m_magFilter, VEnum>(0x08FFF08B, "MagFilter"),
  };
  DefineMembers(members);
}
}  // namespace PM
