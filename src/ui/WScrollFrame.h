// A frame that shows part of its first child through a view with two scroll bars.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WScrollFrame_I : public WFrame_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WScrollFrame;
  static constexpr const char* kName = "WScrollFrame";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WScrollFrame_I() { m_clipChildren = true; }

  int32_t m_scrollXMode = 1;
  int32_t m_scrollYMode = 1;
};

}  // namespace PM
