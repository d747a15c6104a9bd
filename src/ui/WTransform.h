// A widget that rotates and scales its subtree about pivots.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WTransform_I : public EngineClass<WTransform_I, Widget_I, ClassId::WTransform, "WTransform"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Vector3f m_rotation{0, 0, 0};
  uint32_t m_rotationOrder = 0x01FFF038;  // Euler.RotationOrderEnum XYZ
  Vector3f m_rotationPivot{0, 0, 0};
  Vector3f m_scaling{1, 1, 1};
  Vector3f m_scalingPivot{0, 0, 0};
};

}  // namespace PM
