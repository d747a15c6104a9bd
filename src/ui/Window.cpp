#include "ui/Window.h"

#include "ui/Widget.h"

namespace PM {



void TWindow_I::Draw(RenderEngine*) {}

void TWindow_I::Define() {
  DefineUIClass<SWindow_I, SNode_I>();
  DefineUIClass<TWindow_I, TNode_I>();
  const MemberDef members[] = {
      FieldMember<&TWindow_I::m_rootWidget>(0x01FFF0D0, "RootWidget"),
      FieldMember<&TWindow_I::m_virtualResolution>(0x02FFF0D0, "VirtualResolution"),
      FieldMember<&TWindow_I::m_inputFocus>(0x03FFF0D0, "InputFocus"),
      FieldMember<&TWindow_I::m_useCameraProjection>(0x04FFF0D0, "UseCameraProjection"),
  };
  DefineMembers(members);
}

}  // namespace PM
