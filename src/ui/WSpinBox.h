// Shows one of its children at a time and steps through them with two arrows.
#pragma once

#include "core/Vector2f.h"
#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WSpinBox_I : public EngineClass<WSpinBox_I, WControl_I, ClassId::WSpinBox, "WSpinBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WSpinBox_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
  }

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
  // Only the child on show takes input: the hidden ones must not answer clicks or keys.
  bool ChildTakesInput(int32_t index) const override;

  // The SpinValue member: the stored value's signed remainder by the child count, -1 without children.
  int32_t GetSpinValue() const;
  void SetSpinValue(int32_t value) { m_spinValue = value; }
  // The arrow under a point in the box's coordinates: 0 previous, 1 next, -1 none.
  int32_t HitArrow(Vector2f point) const;

  int32_t m_spinValue = 0;
  int32_t m_spinDrag = 0;               // 4: the previous arrow is held, 5: the next one
  uint32_t m_partState[3] = {0, 0, 0};  // bit 0x1 pressed, 0x4 pointer over
};

}  // namespace PM
