// ElementWidget: a test and benchmark widget that draws its Element over its whole rectangle, until
// the W-classes draw themselves. It keeps the Widget class row and the base layout; its drawing sets
// the clip, the model-view and the clip update from its record as frames do, draws the element in the
// context colour, then its children. With clipChildren set it narrows its children's clip to its own
// rectangle.
#pragma once

#include "ui/Widget.h"

namespace PM::Test {

class ElementWidget final : public Widget_I {
 public:
  // A new widget, count 0.
  static ElementWidget* Create();
  // A one-atom element covering the widget (colour id 0, the context colour), count 0.
  static UIElement_I* CoveringElement();

  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  bool clipChildren = false;
};

}  // namespace PM::Test
