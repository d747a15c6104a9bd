// A vertical pop-up list of menu items: the sub-menu of a button.
#pragma once

#include "ui/UIClass.h"
#include "ui/WSizer.h"

namespace PM {

class WPopup_I : public WSizer_I {
 public:
  static constexpr uint32_t kClassId = ClassId::WPopup;
  static constexpr const char* kName = "WPopup";

  static const TypeRecord& GetTypeRecord();
  static ScriptObject* Create();
  static ScriptObject* CreateExtra(uint32_t extraBytes);
  // Defines the class, then its own members.
  static void Define();

  WPopup_I() {
    m_alignmentModeX = kAlignMin;
    m_alignmentModeY = kAlignMax;
    m_sizerMode = kSizerVertical;
    m_focusTransparent = false;
  }

  bool m_autoClose = true;
};

}  // namespace PM
