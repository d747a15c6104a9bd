// Pairs a row of tab widgets with pages, showing the page of the selected tab. The tabs hang under the
// tab frame by their parent links without being its children; the pages are its children.
#pragma once

#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class WTabFrame_I : public EngineClass<WTabFrame_I, Widget_I, ClassId::WTabFrame, "WTabFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  ~WTabFrame_I();

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void ProcessInput(WidgetDrawContext* context, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
  void RemoveChild(Widget_I* child) override;
  // Only the page on show takes input.
  bool ChildTakesInput(int32_t index) const override;

  // The TabWidgetArray member: entries are widgets or nil; the tab frame itself or an ancestor is refused.
  Widget_I* GetTab(int32_t i) const;
  void SetTab(int32_t i, Widget_I* tab);
  int32_t TabCount() const { return m_tabWidgetArray.Count(); }
  void RemoveTabs(int32_t start, int32_t count);
  // The page shown: the child at TabSelect when both arrays reach it, else null.
  Widget_I* SelectedPage() const;

  Array<Obj<Widget_I>> m_tabWidgetArray;
  int32_t m_tabSelect = -1;

 private:
  // The border and tab backgrounds from the style's tile texture; nothing without one.
  void DrawTiles(WidgetDrawContext* context, RenderEngine* engine);
};

}  // namespace PM
