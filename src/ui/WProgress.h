// A progress bar filled to a fraction (from the far end when negative), tinted by BarColor, with the
// control's label.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WProgress_I : public EngineClass<WProgress_I, WControl_I, ClassId::WProgress, "WProgress"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WProgress_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
  }

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override { Widget_I::SendEvent(event, input); }
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  float m_progress = 0;
  Vector4f m_barColor{1, 1, 1, 1};
};

}  // namespace PM
