// Marks the rectangle of the interface that a 3D render channel fills.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WChannel_I : public Widget_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WChannel;
  static constexpr const char* kName = "WChannel";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  Vector4f m_viewport{0, 0, 1, 1};
};

}  // namespace PM
