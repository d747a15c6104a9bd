#include "render/ImageLayer.h"


namespace PM {

void ImageLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<ImageLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ImageLayer_I::m_fileObject>(0x01FFF0B1, "FileObject"),
      FieldMember<&ImageLayer_I::m_dimension>(0x02FFF0B1, "Dimension"),
      FieldMember<&ImageLayer_I::m_defaultColor>(0x03FFF0B1, "DefaultColor"),
  };
  DefineMembers(members);
}
}  // namespace PM
