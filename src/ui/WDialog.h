// A frame drawn with the dialog element that can be dragged and closed.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WDialog_I : public EngineClass<WDialog_I, WFrame_I, ClassId::WDialog, "WDialog"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WDialog_I() { m_dragCaps = 1; }
};

}  // namespace PM
