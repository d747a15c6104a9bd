// One entry of a popup or menu bar; may open its own sub-menu.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WMenuItem_I : public EngineClass<WMenuItem_I, WButton_I, ClassId::WMenuItem, "WMenuItem"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WMenuItem_I() {
    m_layout.resizeModeX = kResizeMinPercent;
    m_layout.resizeModeY = kResizeMin;
    m_layout.alignmentModeX = kAlignMin;
    m_layout.dimension.x = 1.0f;
    m_label.record.alignmentModeX = kAlignMin;  // entries read from the left edge
  }

  // Its sub menu, drawn above it, takes the input first.
  void ProcessInput(WidgetDrawContext* context, WidgetInput* input) override;
  // Its own input step (and drawing) may act out of view.
  bool IdleOutOfView() const override { return false; }

  bool m_showArrow = false;

 protected:
  // A separator: no label, icon or children.
  bool IgnoresPresses() const override;
  // An item without a label shows no focus.
  bool ShowsFocus() const override { return m_label.text.Length() > 0; }
  // The menu takes the capture: the popup the item lies in, else its own sub menu.
  void CapturePress(TWindow_I* window) override;
  // A leaf inside a popup closes the menu chain on release (and on a drag start keeps its look).
  bool EndPressInside(bool released, WidgetInput* input) override;

 private:
  // Hides the outermost popup above the item and, in a combo box's popup, sets its value.
  void CloseMenuChain(WidgetInput* input);
};

}  // namespace PM
