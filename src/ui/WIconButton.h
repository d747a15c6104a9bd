// A button drawn with the style's icon-button element.
#pragma once

#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WIconButton_I : public WButton_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WIconButton;
  static constexpr const char* kName = "WIconButton";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();
};

}  // namespace PM
