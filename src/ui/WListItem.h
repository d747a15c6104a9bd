// One entry of a list.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WListItem_I : public WButton_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WListItem;
  static constexpr const char* kName = "WListItem";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WListItem_I() {
    m_resizeModeX = kResizeMinPercent;
    m_resizeModeY = kResizeMin;
    m_alignmentModeX = kAlignMin;
    m_dimension.x = 1.0f;
  }
};

}  // namespace PM
