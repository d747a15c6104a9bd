// A value control: a handle on a track between two arrows maps onto a value from SliderMin to SliderMax.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSlider_I : public EngineClass<WSlider_I, WControl_I, ClassId::WSlider, "WSlider"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  int32_t m_orientation = 0;
  float m_sliderValue = 0;
  float m_sliderMin = 0;
  float m_sliderMax = 1.0f;
  float m_sliderStep = 0;
};

}  // namespace PM
