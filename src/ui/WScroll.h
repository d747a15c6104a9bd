// A stand-alone scroll bar with two arrows and a thumb over a fixed length of 1000 units. It raises no
// event; C++ reads its position through GetScrollPosition.
#pragma once

#include "core/Vector3f.h"
#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WScroll_I : public EngineClass<WScroll_I, WControl_I, ClassId::WScroll, "WScroll"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // Horizontal: 0 down to minus the range; vertical: 0 up to the range.
  float GetScrollPosition() const { return m_position; }

  // The bar's measures along its axis for the computed size.
  struct Geometry {
    float size = 0, arrow = 0, track = 0, thumb = 0, range = 0, offset = 0, bar = 0;
  };
  Geometry Measure() const;
  // The part under a point: 0-2 horizontal, 3-5 vertical, or -1.
  int32_t HitPart(float x, float y) const;

  int32_t m_orientation = 0;
  float m_position = 0;
  int32_t m_dragMode = 0;
  float m_dragPosition = 0;
  Vector3f m_dragMouse{0, 0, 0};
  uint32_t m_partStates[3] = {0, 0, 0};
};

}  // namespace PM
