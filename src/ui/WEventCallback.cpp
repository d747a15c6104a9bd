#include "ui/WEventCallback.h"

#include "ui/WidgetTLS.h"

namespace PM {

WEventCallback_I* WEventCallback_I::GetDefaultCallback() const {
  const WidgetTLS* tls = WidgetTLS::Find();
  WEventCallback_I* callback = tls ? tls->defaultCallback.Get() : nullptr;
  return callback ? callback : static_cast<WEventCallback_I*>(NilScriptObject());
}

void WEventCallback_I::SetDefaultCallback(WEventCallback_I* callback) { WidgetTLS::Get().defaultCallback = callback; }

void WEventCallback_I::Define() {
  DefineUIClass<WEventCallback_I, Object_I>();
  const MemberDef members[] = {
      AccessorMember<&WEventCallback_I::GetDefaultCallback, &WEventCallback_I::SetDefaultCallback>(
          0x01FFF0D6, "DefaultCallback", 0x7),
  };
  DefineMembers(members);
}

}  // namespace PM
