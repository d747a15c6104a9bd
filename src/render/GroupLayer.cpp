#include "render/GroupLayer.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

namespace {

void DefineGroupLayerClass() {
  const ClassDef classes[] = {ConcreteClass<GroupLayer_I>(ImageLayer_I::kClassId, "GroupLayer")};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&GroupLayer_I::m_layerArray>(0x01FFF0B2, "LayerArray"),
  };
  DefineMembers(members);
}

[[maybe_unused]] const bool kEntry = AddEngineClassEntry(0x0B2, &DefineGroupLayerClass);

}  // namespace
}  // namespace PM
