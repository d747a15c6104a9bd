// A frame that shows part of its first child through a view with two scroll bars.
#pragma once

#include "core/Vector3f.h"
#include "ui/UIClass.h"
#include "ui/WFrame.h"

namespace PM {

class WScrollFrame_I : public EngineClass<WScrollFrame_I, WFrame_I, ClassId::WScrollFrame, "WScrollFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WScrollFrame_I() { m_layout.clipChildren = true; }

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;

  // The view, the bars and the thumbs for the computed size and the content; hit test, events and
  // drawing all read this one computation.
  struct Geometry {
    Vector3f arrow{0, 0, 0}, bar{0, 0, 0};
    float vb = 0, hb = 0, viewW = 0, viewH = 0, trackW = 0, trackH = 0, thumbW = 0, thumbH = 0, offX = 0, offY = 0;
    float cw = 0, ch = 0;
    bool showX = false, showY = false;
    // The scroll ranges: Position.x in [-rangeX, 0], Position.y in [0, rangeY].
    float RangeX() const { return std::max(cw - viewW, 0.0f); }
    float RangeY() const { return std::max(ch - viewH, 0.0f); }
  };
  Geometry Measure();
  // The bar part under a point in the frame's coordinates (0-2 horizontal, 3-5 vertical), or -1.
  int32_t HitPart(const Geometry& g, float x, float y) const;
  // The content widget: the first child, or null.
  Widget_I* Content() const;
  // Moves the content by d along one axis inside its range.
  void StepX(const Geometry& g, float d);
  void StepY(const Geometry& g, float d);

  int32_t m_scrollXMode = 1;
  int32_t m_scrollYMode = 1;
  int32_t m_scrollDragMode = 0;
  Vector3f m_dragPosition{0, 0, 0};
  Vector3f m_dragMouse{0, 0, 0};
  uint32_t m_partStates[6] = {0, 0, 0, 0, 0, 0};

 private:
  // The key steps of a key press; true when the key is one of the scroll keys.
  bool StepByKey(const Geometry& g, const WidgetInput* input);
  // Pulls a positive content position back after the content or the view changed.
  void ClampContent(Widget_I* content);
};

}  // namespace PM
