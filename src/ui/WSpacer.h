// An empty widget that takes a share of a sizer's free space.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WSpacer_I : public Widget_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WSpacer;
  static constexpr const char* kName = "WSpacer";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WSpacer_I() { m_focusTransparent = true; }

  Vector3f m_ratio{1, 1, 1};
};

}  // namespace PM
