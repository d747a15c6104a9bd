// A multi-line text with inline markup; a text field when Editable is set.
#pragma once

#include "core/HighResTimer.h"
#include "ui/UIClass.h"
#include "ui/WControl.h"

namespace PM {

class TileCollection_I;

class WText_I : public EngineClass<WText_I, WControl_I, ClassId::WText, "WText"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The text is the widget's own: an equal text changes nothing; another one makes the layout stale,
  // decides whether markup applies and keeps the cursor within it.
  String GetText() const override { return m_ownText; }
  void SetText(const String& text) override;

  // Members whose setters do more than store.
  bool GetEditable() const { return m_editable; }
  void SetEditable(bool editable);
  int32_t GetCursorPos() const { return m_cursorPos; }
  void SetCursorPos(int32_t pos);
  Vector3f GetWrapDimension() const { return m_wrapDimension; }
  void SetWrapDimension(Vector3f wrap);
  int32_t GetMaxLength() const { return m_maxLength; }
  void SetMaxLength(int32_t length);

  // Is markup read from the text: it holds "{" and the text is not being edited.
  bool HasMarkup() const { return m_hasMarkup; }
  bool LayoutValid() const { return m_layoutValid; }
  void MarkLayoutStale() { m_layoutValid = false; }

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

  String m_ownText;
  bool m_hasMarkup = false;
  bool m_layoutValid = false;
  HighResTimer m_blink;  // the cursor's blink clock, restarted by every move and edit
};

}  // namespace PM
