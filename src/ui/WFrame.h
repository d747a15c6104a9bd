// The container widget: a bordered frame around its children, with an optional title widget in its top
// border band, optional clipping of the children, a highlight fade and, as a dialog, a close button.
#pragma once

#include "core/Vector2f.h"
#include "ui/UIClass.h"
#include "ui/Widget.h"

namespace PM {

class UIElement_I;

// The six anchors of one axis of an element drawn over `size` with borders `low` and `high`:
// 0, size, low, size - high, the middle, and the middle of the inner span.
void ElementAnchors(float size, float low, float high, float out[6]);

// `m` raised in x and y to `v` where `v` is larger.
inline void RaiseMinimum(Vector3f& m, const Vector3f& v) {
  m.x = v.x > m.x ? v.x : m.x;
  m.y = v.y > m.y ? v.y : m.y;
}

// Moves a pair of inner edges e[1] > e[2] that cross to their middle, widening the outer edges e[0]
// and e[3] by half the excess on each side.
void NarrowCrossedEdges(float e[4]);

// Dimension with its negative components replaced by the element's default size.
inline Vector3f DefaultSize(const Vector3f& dimension, const Vector3f& def) {
  return {dimension.x < 0 ? def.x : dimension.x, dimension.y < 0 ? def.y : dimension.y, dimension.z};
}

// Refuses (logged as a placement below itself) a widget link that would make `owner` reach itself:
// `value` is the owner or one of its ancestors.
bool RefusesWidgetCycle(const char* operation, const Widget_I* owner, const Widget_I* value);

class WFrame_I : public EngineClass<WFrame_I, Widget_I, ClassId::WFrame, "WFrame"> {
 public:
  // Defines the class, then its own members.
  static void Define();

  WidgetLayout* CalcDimMin() override;
  void UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) override;
  void ProcessInput(WidgetDrawContext* context, WidgetInput* input) override;
  void SendEvent(uint32_t event, WidgetInput* input) override;
  void DrawSelf(WidgetDrawContext* context, RenderEngine* engine) override;
  // The element path: the widget's element over its rectangle, then the title and the children.
  virtual void DrawElement(WidgetDrawContext* context, RenderEngine* engine, uint32_t classId);

  // The TitleWidget member: the frame itself or an ancestor is refused.
  Widget_I* GetTitleWidget() const { return m_titleWidget.Get(); }
  void SetTitleWidget(Widget_I* title);

  // The atom of the style's dialog element under a point in frame coordinates (4: the close button), or -1.
  int32_t HitPart(Vector2f point);
  // Where the input's pointer ray meets the widget's plane, in the widget's coordinates.
  Vector2f PointerIn(const WidgetInput* input);
  // Whether SendEvent handles the event itself (an input state and a style with ElementFrame) rather than
  // handing it straight to the widget.
  bool FrameTakesEvents(const WidgetInput* input) const;
  // A drag under way with the frame holding the capture: the capture is released and the focus look
  // comes back.
  void EndDrag(const WidgetInput* input);
  // The element's borders, zero without an element.
  void Borders(Vector3f& low, Vector3f& high);
  // Moves the highlight fade towards 1 (rising) or 0 by 10 per second since the last draw.
  void StepFade(bool rising);
  // Draws the title, then every child.
  void DrawTitleAndChildren(WidgetDrawContext* context, RenderEngine* engine);
  // The client record: the frame's record narrowed by the borders, placed in the parent and clipped
  // to itself when ClipChildren is set.
  void BuildClientRecord(const Vector3f& low, const Vector3f& high, const WidgetLayout* parent);

  // The clock the fade reads, in seconds; tests put a fake in.
  static double (*s_nowSeconds)();

  Obj<Widget_I> m_titleWidget;
  int32_t m_dragCaps = 0;
  int32_t m_frameState = 0;  // the look buttons select: 0 up, 1 down
  int32_t m_focusFlag = 0;
  double m_fadeClock = 0.0;
  float m_fade = 0.0f;
  int32_t m_dragMode = 0;  // 4: the close button is held
  Vector3f m_dragOriginValue{0, 0, 0};
  Vector2f m_dragOriginPoint{0, 0};
  uint32_t m_closeFlags = 0;  // bit 0: pressed on the close button; bit 2: the pointer is over it
  // The records handed to the children and the title; last, as a row out of view leaves them alone.
  WidgetLayout m_clientLayout;
  WidgetLayout m_titleLayout;

 private:
  // The tile path of DrawSelf: border pieces from the style's tiles and colours.
  void DrawTiles(WidgetDrawContext* context, RenderEngine* engine);
};

}  // namespace PM
