// A button whose children are its choices, shown one at a time and listed in a popup.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WComboBox_I : public EngineClass<WComboBox_I, WButton_I, ClassId::WComboBox, "WComboBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  int32_t m_comboValue = 0;
  bool m_editable = false;
};

}  // namespace PM
