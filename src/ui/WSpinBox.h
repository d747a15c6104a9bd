// Shows one of its children at a time and steps through them with two arrows.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSpinBox_I : public EngineClass<WSpinBox_I, WControl_I, ClassId::WSpinBox, "WSpinBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WSpinBox_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
  }

  int32_t m_spinValue = 0;
};

}  // namespace PM
