#include "ui/WMenuItem.h"

#include "ui/WPopup.h"

namespace PM {

void WMenuItem_I::Define() {
  DefineUIClass<WMenuItem_I, WButton_I>();
  const MemberDef members[] = {
      FieldMember<&WMenuItem_I::m_showArrow>(0x02FFF0CF, "ShowArrow"),
  };
  DefineMembers(members);
}

void WMenuItem_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  if (!m_subMenu.IsNil()) {
    const Obj<WPopup_I> menu = m_subMenu;
    menu->TraverseInput(context, input);
  }
  WButton_I::ProcessInput(context, input);
}

}  // namespace PM
