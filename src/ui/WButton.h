// The push button: a latched state, an optional icon and an optional popup that it opens.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WPopup_I;

class WButton_I : public EngineClass<WButton_I, WControl_I, ClassId::WButton, "WButton"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WButton_I() {
    m_layout.dimension.x = -1;  // -1: the element's default size
    m_layout.dimension.y = -1;
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_layout.clipChildren = true;
  }

  int32_t m_buttonMode = 0;
  int32_t m_state = 0;
  int32_t m_iconId = -1;
  Obj<Widget_I> m_iconWidget;
  int32_t m_iconState = 0;
  Obj<WPopup_I> m_subMenu;
};

}  // namespace PM
