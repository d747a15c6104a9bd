// Pairs a row of tab widgets with pages, showing the page of the selected tab.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WTabFrame_I : public Widget_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WTabFrame;
  static constexpr const char* kName = "WTabFrame";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  Array<Obj<Widget_I>> m_tabWidgetArray;
  int32_t m_tabSelect = -1;
};

}  // namespace PM
