// A bar of (icon) buttons.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WToolBar_I : public WSizer_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WToolBar;
  static constexpr const char* kName = "WToolBar";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
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
