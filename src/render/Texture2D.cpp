#include "render/Texture2D.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineTexture2DClass() {
  const ClassDef classes[] = {ConcreteClass<Texture2D_I>(Texture_I::kClassId, "Texture2D")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&Texture2D_I::m_wrapU, VEnum>(0x01FFF08C, "WrapU"),
      FieldMember<&Texture2D_I::m_wrapV, VEnum>(0x02FFF08C, "WrapV"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x08C, &DefineTexture2DClass);

}  // namespace
}  // namespace PM
