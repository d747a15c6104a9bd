// A button whose children are its choices, shown one at a time and listed in a popup.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WComboBox_I : public WButton_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WComboBox;
  static constexpr const char* kName = "WComboBox";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  int32_t m_comboValue = 0;
  bool m_editable = false;
};

}  // namespace PM
