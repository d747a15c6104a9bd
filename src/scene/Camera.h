// SCamera and TCamera: the camera's lens (vertical field of view and film aperture).
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SCamera_I : public EngineClass<SCamera_I, SLeaf_I, ClassId::SCamera, "SCamera"> {
 public:
  static void Define();
  float m_fieldOfView = 45;  // degrees, over the vertical aperture
  float m_focalLength = 28.974f;  // millimetres, derived from the field of view
  Vector2f m_aperture{1.417f, 0.945f};  // inches
  float m_focusDistance = 0;
  float m_focusRadius = 0;
};

class TCamera_I : public EngineClass<TCamera_I, TLeaf_I, ClassId::TCamera, "TCamera", SCamera_I> {
 public:
};

}  // namespace PM
