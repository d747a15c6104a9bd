#include "ui/WFrame.h"

namespace PM {

void WFrame_I::Define() {
  DefineUIClass<WFrame_I, Widget_I>();
  const MemberDef members[] = {
      FieldMember<&WFrame_I::m_titleWidget>(0x01FFF0DB, "TitleWidget"),
      LayoutFieldMember<&WidgetLayout::clipChildren>(0x02FFF0DB, "ClipChildren"),
      FieldMember<&WFrame_I::m_dragCaps>(0x03FFF0DB, "DragCaps"),
  };
  DefineMembers(members);
}

}  // namespace PM
