// A control drawn with the style's group-frame element.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WGroupFrame_I : public WControl_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WGroupFrame;
  static constexpr const char* kName = "WGroupFrame";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();
};

}  // namespace PM
