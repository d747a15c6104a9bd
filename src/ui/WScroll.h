// A stand-alone scroll bar with two arrows and a thumb.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WScroll_I : public WControl_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WScroll;
  static constexpr const char* kName = "WScroll";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  int32_t m_orientation = 0;
};

}  // namespace PM
