// The shared look of a set of widgets: shaders, font style, icon collection, frame colours and measures,
// and one UI element per kind of widget.
#pragma once

#include "classes/Object.h"
#include "core/Array.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"
#include "ui/UIClass.h"

namespace PM {

class RenderShader_I;
class TileCollection_I;
class FontStyle_I;
class Widget_I;
class UIElement_I;

class WidgetStyle_I : public EngineClass<WidgetStyle_I, Object_I, ClassId::WidgetStyle, "WidgetStyle"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The calling thread's default style (nil until set, and again once its last owner lets go); the
  // widget constructor gives it to every new widget.
  static WidgetStyle_I* GetDefaultStyle();
  // Holds `style` weakly as the calling thread's default; nil clears it.
  static void SetDefaultStyle(WidgetStyle_I* style);

  Obj<RenderShader_I> m_widgetShader;
  Obj<TileCollection_I> m_iconCollection;
  Obj<FontStyle_I> m_fontStyle;
  WeakObj<Widget_I> m_infoWidget;
  Array<int32_t> m_tileSelectArray;
  Vector3f m_borderWidthMin{0, 0, 0};
  Vector3f m_borderWidthMax{0, 0, 0};
  Vector3f m_borderOverlapMin{0, 0, 0};
  Vector3f m_borderOverlapMax{0, 0, 0};
  Vector4f m_inactiveFrameColor{0.5f, 0.5f, 0.5f, 0.5f};
  Vector4f m_defaultFrameColor{1, 1, 1, 1};
  Vector4f m_disableFrameColor{0.5f, 0.5f, 0.5f, 1};
  Vector4f m_enableFrameColor{1, 1, 0.5f, 1};
  Vector4f m_focusFrameColor{0.5f, 0.5f, 1, 1};
  Vector4f m_focusTextColor{0.5f, 0.5f, 1, 1};
  int32_t m_focusFrameTileOffset = 0;
  int32_t m_inactiveTabTileOffset = 0;
  int32_t m_activeTabTileOffset = 0;
  // The element of each widget kind.
  Obj<UIElement_I> m_elementDialog;
  Obj<UIElement_I> m_elementFrame;
  Obj<UIElement_I> m_elementGroupFrame;
  Obj<UIElement_I> m_elementButton;
  Obj<UIElement_I> m_elementIconButton;
  Obj<UIElement_I> m_elementCheckBox;
  Obj<UIElement_I> m_elementScroll;
  Obj<UIElement_I> m_elementScrollX;
  Obj<UIElement_I> m_elementScrollY;
  Obj<UIElement_I> m_elementSliderX;
  Obj<UIElement_I> m_elementSliderY;
  Obj<UIElement_I> m_elementMenuBar;
  Obj<UIElement_I> m_elementPopup;
  Obj<UIElement_I> m_elementMenuItem;
  Obj<UIElement_I> m_elementTab;
  Obj<UIElement_I> m_elementProgress;
  Obj<UIElement_I> m_elementToolBar;
  Obj<UIElement_I> m_elementSpinBox;
  Obj<UIElement_I> m_elementComboBox;
  Obj<UIElement_I> m_elementListBox;
  Obj<UIElement_I> m_elementListItem;
  Obj<UIElement_I> m_elementTextEdit;
  Obj<UIElement_I> m_elementKey;
  Obj<UIElement_I> m_elementMouse;

  // The DefaultStyle member: any style object reads and writes the calling thread's default.
  WidgetStyle_I* DefaultStyleMember() const { return GetDefaultStyle(); }
  void SetDefaultStyleMember(WidgetStyle_I* style) { SetDefaultStyle(style); }
};

}  // namespace PM
