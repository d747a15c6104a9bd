// A multi-line text with inline markup; a text field when Editable is set.
#pragma once

#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class TileCollection_I;

class WText_I : public EngineClass<WText_I, WControl_I, ClassId::WText, "WText"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  Obj<TileCollection_I> m_tileCollection;
  Vector3f m_wrapDimension{0, 0, 0};
  int32_t m_maxLength = -1;
  bool m_editable = false;
  bool m_keyFocus = false;
  int32_t m_maxLines = -1;
  int32_t m_cursorPos = -1;
  int32_t m_selectionStart = -1;
  int32_t m_selectionEnd = -1;
  float m_lineSpacing = 1.0f;
  String m_characterMap;
};

}  // namespace PM
