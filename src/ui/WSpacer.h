// An empty widget that takes a share of a sizer's free space.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WSpacer_I : public EngineClass<WSpacer_I, Widget_I, ClassId::WSpacer, "WSpacer"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WSpacer_I() { m_focusTransparent = true; }

  Vector3f m_ratio{1, 1, 1};
};

}  // namespace PM
