// Shows one of its children at a time and steps through them with two arrows.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSpinBox_I : public WControl_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WSpinBox;
  static constexpr const char* kName = "WSpinBox";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WSpinBox_I() {
    m_resizeModeX = kResizeMin;
    m_resizeModeY = kResizeMin;
  }

  int32_t m_spinValue = 0;
};

}  // namespace PM
