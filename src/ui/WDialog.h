// A frame drawn with the dialog element that can be dragged and closed.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WDialog_I : public WFrame_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WDialog;
  static constexpr const char* kName = "WDialog";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WDialog_I() { m_dragCaps = 1; }
};

}  // namespace PM
