// A bar of (icon) buttons.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WToolBar_I : public EngineClass<WToolBar_I, WSizer_I, ClassId::WToolBar, "WToolBar"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WToolBar_I() {
    m_layout.resizeModeX = kResizeMinPercent;
    m_layout.alignmentModeX = kAlignCenter;
    m_layout.alignmentModeY = kAlignMax;
    m_layout.dimension.x = 1.0f;
    m_focusTransparent = false;
  }

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
};

}  // namespace PM
