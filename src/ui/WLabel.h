// A text-only control: its label at the measured size, in its own colour (white without one),
// highlighted while the pointer is over a label that has handlers.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class WLabel_I : public EngineClass<WLabel_I, WControl_I, ClassId::WLabel, "WLabel"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WLabel_I() {
    m_layout.resizeModeX = kResizeMin;
    m_layout.resizeModeY = kResizeMin;
    m_focusTransparent = true;
  }

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
};

}  // namespace PM
