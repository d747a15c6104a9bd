// Pairs a row of tab widgets with pages, showing the page of the selected tab.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WTabFrame_I : public EngineClass<WTabFrame_I, Widget_I, ClassId::WTabFrame, "WTabFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Array<Obj<Widget_I>> m_tabWidgetArray;
  int32_t m_tabSelect = -1;
};

}  // namespace PM
