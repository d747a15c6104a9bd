// A bar of menu buttons.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WMenuBar_I : public EngineClass<WMenuBar_I, WSizer_I, ClassId::WMenuBar, "WMenuBar"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WMenuBar_I() {
    m_layout.alignmentModeX = kAlignMin;
    m_focusTransparent = false;
  }

  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
};

}  // namespace PM
