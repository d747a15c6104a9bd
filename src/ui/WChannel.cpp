#include "ui/WChannel.h"

namespace PM {

void WChannel_I::Define() {
  DefineUIClass<WChannel_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WChannel_I::m_viewport>(0x01FFF0E0, "Viewport"),
  };
  DefineMembers(members);
}

}  // namespace PM
