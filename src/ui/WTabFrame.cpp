#include "ui/WTabFrame.h"

namespace PM {

void WTabFrame_I::Define() {
  DefineUIClass<WTabFrame_I, Widget_I>();
  const MemberDef members[] = {
      FilledIndexedMember<&WTabFrame_I::m_tabWidgetArray>(0x01FFF0E1, "TabWidgetArray"),
      FieldMember<&WTabFrame_I::m_tabSelect>(0x02FFF0E1, "TabSelect"),
  };
  DefineMembers(members);
}

}  // namespace PM
