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

  bool m_showArrow = false;
};

}  // namespace PM
