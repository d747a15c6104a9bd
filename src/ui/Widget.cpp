#include "ui/Widget.h"

#include "ui/UIElement.h"
#include "ui/WEffect.h"
#include "ui/WHandler.h"
#include "ui/WidgetStyle.h"

namespace PM {

void Widget_I::Define() {
  const ClassDef row[] = {AbstractClass<Widget_I>(Object_I::kClassId, kName)};
  DefineClasses(row);
  const MemberDef members[] = {
      FieldMember<&Widget_I::m_parent>(0x01FFF0D8, "Parent", 0x7),
      FilledIndexedMember<&Widget_I::m_widgetArray>(0x02FFF0D8, "WidgetArray"),
      FieldMember<&Widget_I::m_style>(0x03FFF0D8, "Style", 0x4),
      FieldMember<&Widget_I::m_element>(0x04FFF0D8, "Element"),
      FieldMember<&Widget_I::m_visibility>(0x05FFF0D8, "Visibility"),
      FieldMember<&Widget_I::m_position>(0x06FFF0D8, "Position"),
      FieldMember<&Widget_I::m_dimension>(0x07FFF0D8, "Dimension"),
      FieldMember<&Widget_I::m_resizeModeX, VEnum>(0x08FFF0D8, "ResizeModeX"),
      FieldMember<&Widget_I::m_resizeModeY, VEnum>(0x09FFF0D8, "ResizeModeY"),
      FieldMember<&Widget_I::m_resizeModeZ, VEnum>(0x0AFFF0D8, "ResizeModeZ"),
      FieldMember<&Widget_I::m_alignmentModeX, VEnum>(0x0BFFF0D8, "AlignmentModeX"),
      FieldMember<&Widget_I::m_alignmentModeY, VEnum>(0x0CFFF0D8, "AlignmentModeY"),
      FieldMember<&Widget_I::m_alignmentModeZ, VEnum>(0x0DFFF0D8, "AlignmentModeZ"),
      FieldMember<&Widget_I::m_inputVisibility>(0x0EFFF0D8, "InputVisibility"),
      FieldMember<&Widget_I::m_focusTransparent>(0x0FFFF0D8, "FocusTransparent"),
      FieldMember<&Widget_I::m_enable>(0x10FFF0D8, "Enable"),
      FieldMember<&Widget_I::m_branchColor>(0x11FFF0D8, "BranchColor"),
      FieldMember<&Widget_I::m_drawPriority>(0x12FFF0D8, "DrawPriority"),
      FieldMember<&Widget_I::m_infoText>(0x13FFF0D8, "InfoText"),
      FieldMember<&Widget_I::m_userValue>(0x14FFF0D8, "UserValue"),
      FieldMember<&Widget_I::m_userObject>(0x15FFF0D8, "UserObject", 0x4),
      FieldMember<&Widget_I::m_userWeakObject>(0x16FFF0D8, "UserWeakObject", 0x7),
      FilledIndexedMember<&Widget_I::m_handlerArray>(0x17FFF0D8, "HandlerArray", 0x4),
      FilledIndexedMember<&Widget_I::m_effectArray>(0x18FFF0D8, "EffectArray"),
      FieldMember<&Widget_I::m_childPriority>(0x19FFF0D8, "ChildPriority"),
      FieldMember<&Widget_I::m_modal>(0x1AFFF0D8, "Modal"),
      FieldMember<&Widget_I::m_widgetState>(0x1BFFF0D8, "WidgetState"),
  };
  DefineMembers(members);
}

void Widget_I::DefineResizeModeEnum() {
  static const char* const kNames[] = {"ResizeExact", "ResizeMin", "ResizePercent", "ResizeMinPercent", "ResizeMax"};
  DefineEnumType({kClassWidgetResizeMode, "Widget", "ResizeModeEnum", kNames, 5});
}

void Widget_I::DefineAlignmentModeEnum() {
  static const char* const kNames[] = {"AlignCenter", "AlignMin", "AlignMax", "AlignBlock"};
  DefineEnumType({kClassWidgetAlignmentMode, "Widget", "AlignmentModeEnum", kNames, 4});
}

}  // namespace PM
