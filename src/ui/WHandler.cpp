#include "ui/WHandler.h"

#include "ui/WEventCallback.h"
#include "ui/WidgetTLS.h"

namespace PM {

WHandler_I::WHandler_I() {
  if (const WidgetTLS* tls = WidgetTLS::Find()) m_destination = tls->defaultCallback.Get();
}

void WHandler_I::Define() {
  DefineUIClass<WHandler_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WHandler_I::m_handle, VEnum>(0x01FFF0D7, "Handle"),
      FieldMember<&WHandler_I::m_message, VEnum>(0x02FFF0D7, "Message"),
      FieldMember<&WHandler_I::m_destination>(0x03FFF0D7, "Destination", 0x7),
      FieldMember<&WHandler_I::m_userValue>(0x04FFF0D7, "UserValue"),
      FieldMember<&WHandler_I::m_cmd>(0x05FFF0D7, "Cmd"),
  };
  DefineMembers(members);
}

}  // namespace PM
