// An invisible container: draws only its children.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WGroup_I : public WFrame_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WGroup;
  static constexpr const char* kName = "WGroup";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();
};

}  // namespace PM
