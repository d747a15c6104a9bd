// The base of every widget with a one-line text label: the label's text, font style and colour.
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class FontStyle_I;

class WControl_I : public EngineClass<WControl_I, WFrame_I, ClassId::WControl, "WControl"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  // The Text member; a derived class that keeps its text elsewhere, or reacts to a change, replaces both.
  virtual String GetText() const { return m_text; }
  virtual void SetText(const String& text) { m_text = text; }
  // The label is the control's text under a second name.
  String GetLabel() const { return GetText(); }
  void SetLabel(const String& text) { SetText(text); }

  Obj<FontStyle_I> m_fontStyle;
  Vector4f m_fontColor{-1, -1, -1, -1};
  String m_text;
};

}  // namespace PM
