// A two-state box with a label.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WCheckBox_I : public EngineClass<WCheckBox_I, WControl_I, ClassId::WCheckBox, "WCheckBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WCheckBox_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
  }

  int32_t m_state = 0;
};

}  // namespace PM
