#include "ui/WImage.h"

#include "render/RenderShader.h"
#include "ui/TileCollection.h"

namespace PM {

void WImage_I::Define() {
  DefineUIClass<WImage_I, WFrame_I>();
  const MemberDef members[] = {
      FieldMember<&WImage_I::m_imageShader>(0x01FFF0DC, "ImageShader", 0x4),
      FieldMember<&WImage_I::m_imageColor>(0x02FFF0DC, "ImageColor"),
      FieldMember<&WImage_I::m_tileSelect>(0x03FFF0DC, "TileSelect"),
      FieldMember<&WImage_I::m_tileCollection>(0x04FFF0DC, "TileCollection", 0x4),
  };
  DefineMembers(members);
}

}  // namespace PM
