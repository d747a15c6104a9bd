#include "ui/WMenuItem.h"

#include "script/object/MemberAccess.h"
#include "ui/WEvent.h"
#include "ui/WPopup.h"
#include "ui/Window.h"

namespace PM {

namespace {

constexpr uint32_t kMemberComboValue = 0x01FFF0C9;
// Parent chains are short; the walk up a menu chain stops here all the same.
constexpr int32_t kMaxMenuDepth = 1 << 16;

bool InPopup(const Widget_I* w) {
  const Widget_I* p = w->m_parent.Get();
  return !IsNilObject(p) && p->IsA(ClassId::WPopup);
}

}  // namespace

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

bool WMenuItem_I::IgnoresPresses() const {
  return m_iconId < 0 && m_label.text.Length() == 0 && m_iconWidget.IsNil() && ChildCount() == 0;
}

void WMenuItem_I::CapturePress(TWindow_I* window) {
  window->SetCaptureMenu(InPopup(this) ? static_cast<ScriptObject*>(m_parent.Get())
                                       : static_cast<ScriptObject*>(m_subMenu.Get()));
}

bool WMenuItem_I::EndPressInside(bool released, WidgetInput* input) {
  if (!InPopup(this) || !m_subMenu.IsNil()) return false;
  if (released) CloseMenuChain(input);
  return true;
}

void WMenuItem_I::CloseMenuChain(WidgetInput* input) {
  Widget_I* outermost = nullptr;
  int32_t steps = 0;
  for (Widget_I* w = m_parent.Get(); !IsNilObject(w) && steps < kMaxMenuDepth; w = w->m_parent.Get(), ++steps)
    if (w->IsA(ClassId::WPopup)) outermost = w;
  if (outermost) outermost->SendEvent(kWEventHideWidget, input);
  m_focusFlag = 0;
  m_fade = 0.0f;
  Widget_I* popup = m_parent.Get();
  if (IsNilObject(popup)) return;
  Widget_I* combo = popup->m_parent.Get();
  if (IsNilObject(combo) || !combo->IsA(ClassId::WComboBox)) return;
  Obj<Widget_I> keep(combo);
  MemberSet<VI32>(combo, kMemberComboValue, int32_t(m_userValue));
  combo->SendEvent(kWEventValueChanged, input);
}

}  // namespace PM
