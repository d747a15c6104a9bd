// The container widget: a bordered frame around its children, with an optional title widget.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WFrame_I : public EngineClass<WFrame_I, Widget_I, ClassId::WFrame, "WFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Obj<Widget_I> m_titleWidget;
  int32_t m_dragCaps = 0;
};

}  // namespace PM
