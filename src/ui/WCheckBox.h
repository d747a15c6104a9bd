// A two-state box with its label after it. A click inside toggles State and raises ButtonChecked or
// ButtonUnchecked, then ValueChanged; a release outside the box changes nothing.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WCheckBox_I : public EngineClass<WCheckBox_I, WControl_I, ClassId::WCheckBox, "WCheckBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WCheckBox_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_label.record.alignmentModeX = kAlignMin;
  }

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // The State member: 1 shows the checked look, anything else the unchecked one.
  int32_t GetState() const { return m_state; }
  void SetState(int32_t state);

  int32_t m_state = 0;
  int32_t m_pressed = 0;
  int32_t m_pending = 0;

 private:
  UIElement_I* CheckElement() const;
  // How far the label starts after the box's left edge.
  float LabelOffset() const;
};

}  // namespace PM
