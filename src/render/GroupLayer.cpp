#include "render/GroupLayer.h"


namespace PM {

void GroupLayer_I::Define() {
  const ClassDef classes[] = {ConcreteClass<GroupLayer_I>()};
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&GroupLayer_I::m_layerArray>(0x01FFF0B2, "LayerArray"),
  };
  DefineMembers(members);
}
}  // namespace PM
