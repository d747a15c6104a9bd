// A bar of (icon) buttons.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WToolBar_I : public EngineClass<WToolBar_I, WSizer_I, ClassId::WToolBar, "WToolBar"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WToolBar_I() {
    m_resizeModeX = kResizeMinPercent;
    m_alignmentModeX = kAlignCenter;
    m_alignmentModeY = kAlignMax;
    m_dimension.x = 1.0f;
    m_focusTransparent = false;
  }
};

}  // namespace PM
