// A bar of menu buttons.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WMenuBar_I : public WSizer_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WMenuBar;
  static constexpr const char* kName = "WMenuBar";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WMenuBar_I() {
    m_alignmentModeX = kAlignMin;
    m_focusTransparent = false;
  }
};

}  // namespace PM
