#include "ui/WEventCallback.h"

namespace PM {

void WEventCallback_I::Define() {
  DefineUIClass<WEventCallback_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WEventCallback_I::m_defaultCallback>(0x01FFF0D6, "DefaultCallback", 0x7),
  };
  DefineMembers(members);
}

}  // namespace PM
