// A two-state box with a label.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WCheckBox_I : public WControl_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WCheckBox;
  static constexpr const char* kName = "WCheckBox";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WCheckBox_I() {
    m_resizeModeX = kResizeMin;
    m_resizeModeY = kResizeMin;
  }

  int32_t m_state = 0;
};

}  // namespace PM
