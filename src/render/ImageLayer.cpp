#include "render/ImageLayer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineImageLayerClass() {
  const ClassDef classes[] = {ConcreteClass<ImageLayer_I>(ExpressionLayer_I::kClassId, "ImageLayer")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&ImageLayer_I::m_fileObject>(0x01FFF0B1, "FileObject"),
      FieldMember<&ImageLayer_I::m_dimension>(0x02FFF0B1, "Dimension"),
      FieldMember<&ImageLayer_I::m_defaultColor>(0x03FFF0B1, "DefaultColor"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0B1, &DefineImageLayerClass);

}  // namespace
}  // namespace PM
