// A button whose children are its choices, shown one at a time and listed in a popup.
#pragma once

#include "core/Vector4f.h"
#include "ui/UIClass.h"
#include "ui/WButton.h"

namespace PM {

class WComboBox_I : public EngineClass<WComboBox_I, WButton_I, ClassId::WComboBox, "WComboBox"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  // The popup, drawn above the box, takes the input first; of the choices only the shown one does.
  void ProcessInput(WidgetDrawContext* context, WidgetInput* input) override;
  // Its own input step (and drawing) may act out of view.
  bool IdleOutOfView() const override { return false; }
  // Its minimum reads its choices too.
  const UIElement_I* MinimumElement() override { return nullptr; }
  bool ChildTakesInput(int32_t index) const override { return index == m_comboValue; }
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // Where a point in the box's coordinates lies: 1 the arrow part, 0 the text part, -1 outside the
  // arrow's band.
  int32_t PositionTest(float x, float y);
  // The popup's Position, alignment and DrawPriority beside the laid-out box.
  void PlaceComboPopup();

  int32_t m_comboValue = 0;
  bool m_editable = false;
  int32_t m_pressState = 0;         // 0 idle, 5 pressed
  uint32_t m_boxFlags[2] = {0, 0};  // bit 0 pressed, bit 2 highlighted

 private:
  // Lists one menu item per visible choice (UserValue = its index) in a fresh popup list, then shows it.
  void FillAndShowPopup(WidgetInput* input);
};

}  // namespace PM
