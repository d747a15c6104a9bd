#include "ui/WScroll.h"

#include <algorithm>
#include <cmath>

#include "ui/BarParts.h"
#include "ui/UIElement.h"
#include "ui/WEvent.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/WidgetStyle.h"

namespace PM {

namespace {
constexpr float kScrollLength = 1000.0f;
constexpr float kArrowStep = 16.0f;
}  // namespace

void WScroll_I::Define() {
  DefineUIClass<WScroll_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WScroll_I::m_orientation>(0x01FFF0EC, "Orientation"),
  };
  DefineMembers(members);
}

WScroll_I::Geometry WScroll_I::Measure() const {
  Geometry g;
  UIElement_I* e = const_cast<WScroll_I*>(this)->GetUIElement();
  if (IsNilObject(e)) return g;
  const bool vertical = m_orientation != 0;
  g.size = vertical ? m_layout.computedSize.y : m_layout.computedSize.x;
  g.arrow = vertical ? e->m_arrowDim.y : e->m_arrowDim.x;
  g.bar = vertical ? e->m_barDim.x : e->m_barDim.y;
  g.track = BarTrack(g.size - 2.0f * g.arrow);
  g.thumb = std::min(std::floor(g.track * g.size * 0.001f), g.track);
  // A bar as long as the content or longer has nothing to scroll.
  g.range = std::max(kScrollLength - g.size, 0.0f);
  const float fraction = g.range > 0.0f ? (vertical ? m_position : -m_position) / g.range : 0.0f;
  g.offset = BarThumbOffset(g.track, g.thumb, fraction);
  return g;
}

int32_t WScroll_I::HitPart(float x, float y) const {
  const Geometry g = Measure();
  const Vector3f& d = m_layout.computedSize;
  if (m_orientation == 0) {
    if (y < 0 || y >= g.bar) return -1;
    if (x >= 0 && x < g.arrow) return 0;
    if (x >= d.x - g.arrow && x < d.x) return 1;
    if (x >= g.arrow + g.offset && x < g.arrow + g.offset + g.thumb) return 2;
    return -1;
  }
  if (m_orientation != 1 || x < d.x - g.bar || x >= d.x) return -1;
  if (y >= 0 && y < g.arrow) return 3;
  if (y >= d.y - g.arrow && y < d.y) return 4;
  const float top = d.y - g.arrow - g.offset;
  if (y >= top - g.thumb && y < top) return 5;
  return -1;
}

void WScroll_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  if (keepSize == 0) {
    const UIElement_I* e = GetUIElement();
    Vector3f need{0, 0, 0};
    if (!IsNilObject(e))
      need = m_orientation == 0 ? Vector3f{3 * e->m_barDim.x, e->m_barDim.y, 0}
                                : Vector3f{e->m_barDim.x, 3 * e->m_barDim.y, 0};
    m_layout.computedSize = {std::max(m_layout.dimension.x, need.x), std::max(m_layout.dimension.y, need.y), 0};
    m_layout.ApplyParent(*parent);
  }
  CommitLayout(parent, 1);
  BuildClientRecord({0, 0, 0}, {0, 0, 0}, parent);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
}

// Events go on to the widget, not the frame: the bar's own press and drag replace the frame's.
void WScroll_I::SendEvent(uint32_t event, WidgetInput* input) {
  // The bar answers only when the style has a scroll element, though it draws with the axis elements.
  if (m_style.IsNil() || m_style->m_elementScroll.IsNil() || !input) return Widget_I::SendEvent(event, input);
  Vector3f mouse;
  input->ProjectRay(&mouse, &m_layout);
  const Geometry g = Measure();
  switch (event) {
    case kWEventMouseLeftDown: {
      m_dragMode = 0;
      const int32_t part = HitPart(mouse.x, mouse.y);
      if (part < 0) break;
      static constexpr int32_t kModes[6] = {4, 5, 1, 6, 7, 2};
      m_dragMode = kModes[part];
      switch (part) {
        case 0:
          m_position = BarClamp(m_position + kArrowStep, -g.range, 0.0f);
          break;
        case 1:
          m_position = BarClamp(m_position - kArrowStep, -g.range, 0.0f);
          break;
        case 3:
          m_position = BarClamp(m_position + kArrowStep, 0.0f, g.range);
          break;
        case 4:
          m_position = BarClamp(m_position - kArrowStep, 0.0f, g.range);
          break;
        default:
          m_dragMouse = mouse;
          m_dragPosition = m_position;
          break;
      }
      PressBarPart(m_partStates[part % 3], this, input);
      break;
    }
    case kWEventMouseLeftHold: {
      if (m_dragMode != 1 && m_dragMode != 2) break;
      const float span = g.track - g.thumb;
      const float moved = m_dragMode == 1 ? mouse.x - m_dragMouse.x : mouse.y - m_dragMouse.y;
      const float p = span > 0.0f ? m_dragPosition - moved * g.range / span : 0.0f;
      m_position = m_dragMode == 1 ? BarClamp(p, -g.range, 0.0f) : BarClamp(p, 0.0f, g.range);
      break;
    }
    default:
      BarPointerStep(event, m_dragMode, m_partStates, event == kWEventFocusActive ? HitPart(mouse.x, mouse.y) % 3 : -1,
                     this, input);
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WScroll_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0 || m_style.IsNil()) return;
  UIElement_I* e = GetUIElement();
  if (!IsNilObject(e)) {
    const bool vertical = m_orientation != 0;
    const Geometry g = Measure();
    const float across = vertical ? m_layout.computedSize.x : m_layout.computedSize.y;
    // The vertical thumb is placed from the upper end, the horizontal one from the left.
    const float low = vertical ? g.size - g.arrow - g.offset - g.thumb : g.arrow + g.offset;
    float a[9], c[9];
    BarAlongAnchors(g.size, g.arrow, low, low + g.thumb, a);
    BarAcrossAnchors(across, g.bar, c);
    DrawBarControl(e, context, engine, m_layout, vertical, false, m_partStates, a, c);
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
