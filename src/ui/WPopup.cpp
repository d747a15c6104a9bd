#include "ui/WPopup.h"

#include "ui/WButton.h"
#include "ui/WEvent.h"
#include "ui/WidgetInput.h"

namespace PM {

namespace {
constexpr int32_t kMaxPopupDepth = 1 << 16;  // parent links followed before giving up
}  // namespace

void WPopup_I::Define() {
  DefineUIClass<WPopup_I, WSizer_I>();
  const MemberDef members[] = {
      FieldMember<&WPopup_I::m_autoClose>(0x01FFF0EE, "AutoClose"),
  };
  DefineMembers(members);
}

void WPopup_I::ProcessInput(WidgetDrawContext* context, WidgetInput* input) {
  if (m_layout.visibility == 0 || m_layout.inputVisibility == 0) return;
  if (input->openPopup.IsNil()) {
    // The whole chain of nested popups counts as one open menu.
    Widget_I* outermost = this;
    int32_t steps = 0;
    for (Widget_I* w = m_parent.Get(); !IsNilObject(w) && steps < kMaxPopupDepth; w = w->m_parent.Get(), ++steps)
      if (w->IsA(ClassId::WPopup)) outermost = w;
    input->openPopup = outermost;
  }
  WSizer_I::ProcessInput(context, input);
}

void WPopup_I::SendEvent(uint32_t event, WidgetInput* input) {
  if ((event == kWEventShowWidget || event == kWEventToggleWidget) && m_layout.visibility == 0) {
    for (int32_t k = ChildCount(); k-- > 0;) {
      Widget_I* child = GetChild(k);
      if (IsNilObject(child) || !child->IsA(ClassId::WButton)) continue;
      const Obj<WPopup_I> menu = static_cast<WButton_I*>(child)->m_subMenu;
      if (!menu.IsNil()) menu->SendEvent(kWEventHideWidget, nullptr);
    }
  }
  WSizer_I::SendEvent(event, input);
}

void WPopup_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0) return;
  DrawElement(context, engine, ClassId::WPopup);
}

}  // namespace PM
