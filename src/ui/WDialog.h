// A frame drawn with the dialog element: its close button raises CloseButtonClicked, a press on its
// title band moves it (DragCaps bit 0) and one on its lower right corner resizes it (bit 1).
#pragma once

#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WDialog_I : public EngineClass<WDialog_I, WFrame_I, ClassId::WDialog, "WDialog"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WDialog_I() { m_dragCaps = 1; }

  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // The drag a press at a point in dialog coordinates starts: 1 move, 2 resize, 0 none.
  int32_t DragModeAt(Vector2f point);

 private:
  // The close button's part of an event, with the pointer at `local`: true when the event has been
  // handled to the end (a press on the button).
  bool CloseButtonEvent(uint32_t event, WidgetInput* input, Vector2f local);
};

}  // namespace PM
