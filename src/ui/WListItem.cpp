#include "ui/WListItem.h"

namespace PM {

void WListItem_I::Define() { DefineUIClass<WListItem_I, WButton_I>(); }

void WListItem_I::ChildButtonDown() {
  Widget_I* parent = m_parent.Get();
  if (IsNilObject(parent)) return;
  for (int32_t k = 0, n = parent->ChildCount(); k < n; ++k) {
    Widget_I* sibling = parent->GetChild(k);
    if (!IsNilObject(sibling) && sibling->IsA(ClassId::WListItem)) static_cast<WButton_I*>(sibling)->m_state = 0;
  }
  m_state = 1;
}

}  // namespace PM
