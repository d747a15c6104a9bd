// Marks the rectangle of the interface that a 3D render channel fills.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WChannel_I : public EngineClass<WChannel_I, Widget_I, ClassId::WChannel, "WChannel"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Vector4f m_viewport{0, 0, 1, 1};
};

}  // namespace PM
