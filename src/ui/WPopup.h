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

  bool m_autoClose = true;
};

}  // namespace PM
