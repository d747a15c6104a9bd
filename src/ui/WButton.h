// The push button: a latched state, an optional icon (from the style's icon collection or a widget) and
// an optional popup that it opens, places beside or below itself and closes; the press-and-release
// state machine that raises the button events. The base of icon buttons, menu and list items.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class TWindow_I;
class WPopup_I;

class WButton_I : public EngineClass<WButton_I, WControl_I, ClassId::WButton, "WButton"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WButton_I() {
    m_layout.dimension.x = -1;  // -1: the element's default size
    m_layout.dimension.y = -1;
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_layout.clipChildren = true;
  }
  ~WButton_I();

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void RemoveChild(Widget_I* child) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
  void DrawElement(WidgetDrawContext* context, RenderEngine* engine, uint32_t classId) override;
  // Out of view at the last layout with nothing inside but its label, and nothing that draws or takes
  // input from there (a sub menu, a title, effects, the modal flag or a hover kept).
  bool IdleOutOfView() const override;
  // A button with nothing inside but its label, and no element of its own, reads its style's element.
  const UIElement_I* MinimumElement() override;

  // The IconWidget and SubMenu members: the button itself or an ancestor is refused. The sub menu
  // hangs under the button by its parent link without being one of its children.
  Widget_I* GetIconWidget() const { return m_iconWidget.Get(); }
  void SetIconWidget(Widget_I* icon);
  WPopup_I* GetSubMenu() const { return m_subMenu.Get(); }
  void SetSubMenu(WPopup_I* popup);

  // The element the button draws and measures with: its own Element, else the style's for its class.
  UIElement_I* ButtonElement();
  // The popup's Position from where the button lies (beside inside a popup, dropdown elsewhere).
  Vector2f SubMenuOffset();
  bool HasIcon() const;
  // A menu item that shows the arrow of its sub menu.
  bool ShowsArrow() const;

  int32_t m_buttonMode = 0;
  int32_t m_state = 0;
  int32_t m_iconId = -1;
  Obj<Widget_I> m_iconWidget;
  int32_t m_iconState = 0;
  Obj<WPopup_I> m_subMenu;
  int32_t m_pressedMode = 0;  // 0 none, 1 left button, 2 right button
  double m_focusTime = 0.0;
  // The client and label records were marked empty while the button lay out of view; read beside the
  // icon and sub menu, so that rows scrolled away do not reach for those records every frame.
  bool m_innerRecordsEmpty = false;
  uint32_t m_ownClass = 0;  // the object's class id once ButtonElement has asked; 0 before
  WidgetLayout m_iconLayout;

 protected:
  // Where the kinds of buttons press differently (menu and list items replace these).
  // A button that takes no presses at all (a menu separator).
  virtual bool IgnoresPresses() const { return false; }
  // Whether the hover gives the focus look.
  virtual bool ShowsFocus() const { return true; }
  // Takes the window's capture for a left press.
  virtual void CapturePress(TWindow_I* window);
  // A left release (or, when `released` is false, a drag start) inside the button after its press:
  // true when the button has ended the press itself, false to give it the focus look.
  virtual bool EndPressInside(bool /*released*/, WidgetInput* /*input*/) { return false; }
  // A child of one of the button's siblings, or of the button, raised ButtonDown.
  virtual void ChildButtonDown() {}

 private:
  // Hides the sibling buttons' open sub menus, then shows this one's (or, toggling outside a popup,
  // hides it when open).
  void OpenSubMenu(bool toggle, WidgetInput* input);
  // The hover's focus look, sound and cursor, and the sub menus a hover opens.
  void FocusEvent(uint32_t event, WidgetInput* input, TWindow_I* window, const UIElement_I* e);
  // A left press, held and released: the pressed look follows the pointer in and out of the button.
  void LeftButtonEvent(uint32_t event, WidgetInput* input, TWindow_I* window, bool inside);
  void DrawIcon(RenderEngine* engine, const WidgetDrawContext* context, const UIElement_I* e);
};

}  // namespace PM
