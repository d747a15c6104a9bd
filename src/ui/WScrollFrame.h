// A frame that shows part of its first child through a view with two scroll bars.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WScrollFrame_I : public EngineClass<WScrollFrame_I, WFrame_I, ClassId::WScrollFrame, "WScrollFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WScrollFrame_I() { m_layout.clipChildren = true; }

  int32_t m_scrollXMode = 1;
  int32_t m_scrollYMode = 1;
};

}  // namespace PM
