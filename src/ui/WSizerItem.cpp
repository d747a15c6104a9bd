#include "ui/WSizerItem.h"

namespace PM {

void WSizerItem_I::Define() {
  DefineUIClass<WSizerItem_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WSizerItem_I::m_spacing>(0x01FFF0E7, "Spacing"),
  };
  DefineMembers(members);
}

}  // namespace PM
