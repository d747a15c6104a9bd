#include "ui/WidgetStyle.h"

#include "render/RenderShader.h"
#include "ui/FontStyle.h"
#include "ui/TileCollection.h"
#include "ui/UIElement.h"
#include "ui/Widget.h"
#include "ui/WidgetTLS.h"

namespace PM {

WidgetStyle_I* WidgetStyle_I::GetDefaultStyle() { return WidgetTLS::Get().defaultStyle.Get(); }
void WidgetStyle_I::SetDefaultStyle(WidgetStyle_I* style) { WidgetTLS::Get().defaultStyle = style; }

void WidgetStyle_I::Define() {
  DefineUIClass<WidgetStyle_I, Object_I>();
  const MemberDef members[] = {
      FieldMember<&WidgetStyle_I::m_widgetShader>(0x01FFF0D2, "WidgetShader", 0x4),
      FieldMember<&WidgetStyle_I::m_fontStyle>(0x02FFF0D2, "FontStyle", 0x4),
      FieldMember<&WidgetStyle_I::m_inactiveFrameColor>(0x03FFF0D2, "InactiveFrameColor"),
      FieldMember<&WidgetStyle_I::m_defaultFrameColor>(0x04FFF0D2, "DefaultFrameColor"),
      FieldMember<&WidgetStyle_I::m_disableFrameColor>(0x05FFF0D2, "DisableFrameColor"),
      FieldMember<&WidgetStyle_I::m_enableFrameColor>(0x06FFF0D2, "EnableFrameColor"),
      FieldMember<&WidgetStyle_I::m_tileSelectArray>(0x07FFF0D2, "TileSelectArray"),
      FieldMember<&WidgetStyle_I::m_borderWidthMin>(0x08FFF0D2, "BorderWidthMin"),
      FieldMember<&WidgetStyle_I::m_borderWidthMax>(0x09FFF0D2, "BorderWidthMax"),
      FieldMember<&WidgetStyle_I::m_borderOverlapMin>(0x0AFFF0D2, "BorderOverlapMin"),
      FieldMember<&WidgetStyle_I::m_borderOverlapMax>(0x0BFFF0D2, "BorderOverlapMax"),
      FieldMember<&WidgetStyle_I::m_focusFrameColor>(0x0CFFF0D2, "FocusFrameColor"),
      FieldMember<&WidgetStyle_I::m_focusFrameTileOffset>(0x0DFFF0D2, "FocusFrameTileOffset"),
      FieldMember<&WidgetStyle_I::m_focusTextColor>(0x0EFFF0D2, "FocusTextColor"),
      FieldMember<&WidgetStyle_I::m_inactiveTabTileOffset>(0x0FFFF0D2, "InactiveTabTileOffset"),
      FieldMember<&WidgetStyle_I::m_activeTabTileOffset>(0x10FFF0D2, "ActiveTabTileOffset"),
      AccessorMember<&WidgetStyle_I::DefaultStyleMember, &WidgetStyle_I::SetDefaultStyleMember>(0x11FFF0D2,
                                                                                                "DefaultStyle", 0x3),
      FieldMember<&WidgetStyle_I::m_infoWidget>(0x12FFF0D2, "InfoWidget"),
      FieldMember<&WidgetStyle_I::m_iconCollection>(0x13FFF0D2, "IconCollection", 0x4),
      FieldMember<&WidgetStyle_I::m_elementDialog>(0x14FFF0D2, "ElementDialog", 0x4),
      FieldMember<&WidgetStyle_I::m_elementFrame>(0x15FFF0D2, "ElementFrame", 0x4),
      FieldMember<&WidgetStyle_I::m_elementGroupFrame>(0x16FFF0D2, "ElementGroupFrame", 0x4),
      FieldMember<&WidgetStyle_I::m_elementButton>(0x17FFF0D2, "ElementButton", 0x4),
      FieldMember<&WidgetStyle_I::m_elementIconButton>(0x18FFF0D2, "ElementIconButton", 0x4),
      FieldMember<&WidgetStyle_I::m_elementCheckBox>(0x19FFF0D2, "ElementCheckBox", 0x4),
      FieldMember<&WidgetStyle_I::m_elementMenuItem>(0x1AFFF0D2, "ElementMenuItem", 0x4),
      FieldMember<&WidgetStyle_I::m_elementPopup>(0x1BFFF0D2, "ElementPopup", 0x4),
      FieldMember<&WidgetStyle_I::m_elementMenuBar>(0x1CFFF0D2, "ElementMenuBar", 0x4),
      FieldMember<&WidgetStyle_I::m_elementScroll>(0x1DFFF0D2, "ElementScroll", 0x4),
      FieldMember<&WidgetStyle_I::m_elementScrollX>(0x1EFFF0D2, "ElementScrollX", 0x4),
      FieldMember<&WidgetStyle_I::m_elementScrollY>(0x1FFFF0D2, "ElementScrollY", 0x4),
      FieldMember<&WidgetStyle_I::m_elementSliderX>(0x20FFF0D2, "ElementSliderX", 0x4),
      FieldMember<&WidgetStyle_I::m_elementSliderY>(0x21FFF0D2, "ElementSliderY", 0x4),
      FieldMember<&WidgetStyle_I::m_elementTab>(0x22FFF0D2, "ElementTab", 0x4),
      FieldMember<&WidgetStyle_I::m_elementProgress>(0x23FFF0D2, "ElementProgress", 0x4),
      FieldMember<&WidgetStyle_I::m_elementToolBar>(0x24FFF0D2, "ElementToolBar", 0x4),
      FieldMember<&WidgetStyle_I::m_elementSpinBox>(0x25FFF0D2, "ElementSpinBox", 0x4),
      FieldMember<&WidgetStyle_I::m_elementComboBox>(0x26FFF0D2, "ElementComboBox", 0x4),
      FieldMember<&WidgetStyle_I::m_elementListBox>(0x27FFF0D2, "ElementListBox", 0x4),
      FieldMember<&WidgetStyle_I::m_elementListItem>(0x28FFF0D2, "ElementListItem", 0x4),
      FieldMember<&WidgetStyle_I::m_elementTextEdit>(0x29FFF0D2, "ElementTextEdit", 0x4),
      FieldMember<&WidgetStyle_I::m_elementKey>(0x2AFFF0D2, "ElementKey", 0x4),
      FieldMember<&WidgetStyle_I::m_elementMouse>(0x2BFFF0D2, "ElementMouse", 0x4),
  };
  DefineMembers(members);
}

}  // namespace PM
