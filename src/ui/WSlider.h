// A value control: a handle on a track between two arrows maps onto a value from SliderMin to SliderMax.
#pragma once

#include "core/Vector3f.h"
#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSlider_I : public EngineClass<WSlider_I, WControl_I, ClassId::WSlider, "WSlider"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // Reading clamps the stored value between min and max (either may be the larger) and snaps it down
  // onto the step grid from min.
  float GetSliderValue() const;
  // The setters store and recompute the track position.
  void SetSliderValue(float v);
  float GetSliderMin() const { return m_sliderMin; }
  void SetSliderMin(float v);
  float GetSliderMax() const { return m_sliderMax; }
  void SetSliderMax(float v);

  // The value as the input paths set it: limited to the range, and on a change stored with its track
  // position and announced by ValueChanged.
  void ChangeValue(float v, WidgetInput* input);
  // The part under a point in the slider's coordinates: 0-2 horizontal, 3-5 vertical, or -1.
  int32_t HitPart(float x, float y);
  // Where the handle starts along the track (from the lower end).
  float HandleStart(bool vertical);

  int32_t m_orientation = 0;
  float m_sliderValue = 0;
  float m_sliderMin = 0;
  float m_sliderMax = 1.0f;
  float m_sliderStep = 0;
  float m_track = 0;  // the handle's place along the track, 0 to 1000
  int32_t m_dragMode = 0;
  float m_dragTrack = 0;
  Vector3f m_dragMouse{0, 0, 0};
  uint32_t m_partStates[3] = {0, 0, 0};

 private:
  void RecomputeTrack();
};

}  // namespace PM
