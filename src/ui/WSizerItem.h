// The margin a sizer keeps around one of its children.
#pragma once

#include "classes/Object.h"
#include "core/Vector3f.h"
#include "ui/UIClass.h"

namespace PM {

class WSizerItem_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WSizerItem;
  static constexpr const char* kName = "WSizerItem";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  Vector3f m_spacing{0, 0, 0};
};

}  // namespace PM
