// A vertical pop-up list of menu items: the sub-menu of a button.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WPopup_I : public EngineClass<WPopup_I, WSizer_I, ClassId::WPopup, "WPopup"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WPopup_I() {
    m_layout.alignmentModeX = kAlignMin;
    m_layout.alignmentModeY = kAlignMax;
    m_sizerMode = kSizerVertical;
    m_focusTransparent = false;
  }

  // Records the outermost popup of its chain as the input's open popup, then walks like a frame.
  void ProcessInput(WidgetDrawContext* context, WidgetInput* input) override;
  // Showing a hidden popup first hides its items' sub menus, last child first.
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  bool m_autoClose = true;
};

}  // namespace PM
