// A text-only control.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WLabel_I : public EngineClass<WLabel_I, WControl_I, ClassId::WLabel, "WLabel"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WLabel_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_focusTransparent = true;
  }
};

}  // namespace PM
