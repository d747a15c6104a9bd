// A text-only control.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WLabel_I : public WControl_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WLabel;
  static constexpr const char* kName = "WLabel";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WLabel_I() {
    m_resizeModeX = kResizeMin;
    m_resizeModeY = kResizeMin;
    m_focusTransparent = true;
  }
};

}  // namespace PM
