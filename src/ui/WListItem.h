// One entry of a list.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WListItem_I : public EngineClass<WListItem_I, WButton_I, ClassId::WListItem, "WListItem"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WListItem_I() {
    m_layout.resizeModeX = kResizeMinPercent;
    m_layout.resizeModeY = kResizeMin;
    m_layout.alignmentModeX = kAlignMin;
    m_layout.dimension.x = 1.0f;
    m_label.record.alignmentModeX = kAlignMin;  // entries read from the left edge
  }

 protected:
  // The pressed item is the selected one: its sibling list items are cleared.
  void ChildButtonDown() override;
};

}  // namespace PM
