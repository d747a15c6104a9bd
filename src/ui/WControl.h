// The base of every widget with a one-line text label: the label's text, font style and colour, kept
// with its measured size and glyph quads in a label cache. The control draws as a frame; the controls
// that show their label draw it from the cache.
#pragma once

#include "ui/LabelCache.h"
#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class FontStyle_I;

class WControl_I : public EngineClass<WControl_I, WFrame_I, ClassId::WControl, "WControl"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WControl_I() { m_label.owner = this; }

  virtual Vector4f GetFontColor() const { return m_label.fontColor; }
  virtual void SetFontColor(const Vector4f& color) { m_label.fontColor = color; }
  virtual FontStyle_I* GetLabelFontStyle() const { return m_label.fontStyle.Get(); }
  // Nil or a font style; always rebuilds the label.
  virtual void SetLabelFontStyle(FontStyle_I* style) { m_label.SetFontStyle(style); }
  // The label is the text under a second name, through GetText and SetText so that a control that
  // replaces those changes both.
  virtual String GetLabel() const { return GetText(); }
  virtual void SetLabel(const String& text) { SetText(text); }
  virtual String GetText() const { return m_label.text; }
  virtual void SetText(const String& text) { m_label.SetText(text); }

  LabelCache m_label;
};

}  // namespace PM
