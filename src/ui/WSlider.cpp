#include "ui/WSlider.h"

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
constexpr float kTrackLength = 1000.0f;
constexpr float kTrackThreshold = 0.0009765625f;  // a drag moving the track less than this does nothing
}  // namespace

void WSlider_I::Define() {
  DefineUIClass<WSlider_I, WControl_I>();
  const MemberDef members[] = {
      FieldMember<&WSlider_I::m_orientation>(0x01FFF0ED, "Orientation"),
      AccessorMember<&WSlider_I::GetSliderValue, &WSlider_I::SetSliderValue>(0x02FFF0ED, "SliderValue"),
      AccessorMember<&WSlider_I::GetSliderMin, &WSlider_I::SetSliderMin>(0x03FFF0ED, "SliderMin"),
      AccessorMember<&WSlider_I::GetSliderMax, &WSlider_I::SetSliderMax>(0x04FFF0ED, "SliderMax"),
      FieldMember<&WSlider_I::m_sliderStep>(0x05FFF0ED, "SliderStep"),
  };
  DefineMembers(members);
}

float WSlider_I::GetSliderValue() const {
  float v = BarClamp(m_sliderValue, std::min(m_sliderMin, m_sliderMax), std::max(m_sliderMin, m_sliderMax));
  if (m_sliderStep > 0.0f) v = std::floor((v - m_sliderMin) / m_sliderStep) * m_sliderStep + m_sliderMin;
  return v;
}

void WSlider_I::RecomputeTrack() {
  // An empty range puts the handle at the start; a value outside the range at the nearer end.
  const float t = (m_sliderValue - m_sliderMin) * kTrackLength / (m_sliderMax - m_sliderMin);
  m_track = std::isfinite(t) ? std::clamp(t, 0.0f, kTrackLength) : 0.0f;
}

void WSlider_I::SetSliderValue(float v) {
  m_sliderValue = v;
  RecomputeTrack();
}

void WSlider_I::SetSliderMin(float v) {
  m_sliderMin = v;
  RecomputeTrack();
}

void WSlider_I::SetSliderMax(float v) {
  m_sliderMax = v;
  RecomputeTrack();
}

void WSlider_I::ChangeValue(float v, WidgetInput* input) {
  v = BarClamp(v, std::min(m_sliderMin, m_sliderMax), std::max(m_sliderMin, m_sliderMax));
  if (v == m_sliderValue) return;
  SetSliderValue(v);
  Widget_I::SendEvent(kWEventValueChanged, input);
}

float WSlider_I::HandleStart(bool vertical) {
  const UIElement_I* e = GetUIElement();
  if (IsNilObject(e)) return 0.0f;
  const float size = vertical ? m_layout.computedSize.y : m_layout.computedSize.x;
  const float arrow = vertical ? e->m_arrowDim.y : e->m_arrowDim.x;
  const float handle = vertical ? e->m_handleDim.y : e->m_handleDim.x;
  const float track = BarTrack(size - 2.0f * arrow - handle);
  float off = std::floor(m_track * 0.001f * track);
  if (off > track) off = track - handle;
  return arrow + std::max(off, 0.0f);
}

int32_t WSlider_I::HitPart(float x, float y) {
  const UIElement_I* e = GetUIElement();
  if (IsNilObject(e)) return -1;
  const Vector3f& d = m_layout.computedSize;
  const Vector3f &a = e->m_arrowDim, &h = e->m_handleDim, &b = e->m_barDim;
  if (m_orientation == 0) {
    if (y < 0 || y >= b.y) return -1;
    const float hx = HandleStart(false);
    if (x >= 0 && x < a.x) return 0;
    if (x >= d.x - a.x && x < d.x) return 1;
    if (x >= hx && x < hx + h.x) return 2;
    return -1;
  }
  if (x < d.x - b.x || x >= d.x) return -1;
  const float hy = HandleStart(true);
  if (y >= 0 && y < a.y) return 3;
  if (y >= d.y - a.y && y < d.y) return 4;
  if (y >= hy && y < hy + h.y) return 5;
  return -1;
}

void WSlider_I::UpdateLayoutTree(const WidgetLayout* parent, int32_t keepSize) {
  if (m_layout.visibility == 0) return;
  if (keepSize == 0) {
    const UIElement_I* e = GetUIElement();
    Vector3f need{0, 0, 0};
    if (!IsNilObject(e))
      need = m_orientation == 0 ? Vector3f{e->m_handleDim.x, e->m_barDim.y, 0}
                                : Vector3f{e->m_barDim.x, e->m_handleDim.y, 0};
    m_layout.computedSize = {std::max(m_layout.dimension.x, need.x), std::max(m_layout.dimension.y, need.y), 0};
    m_layout.ApplyParent(*parent);
  }
  CommitLayout(parent, 1);
  BuildClientRecord({0, 0, 0}, {0, 0, 0}, parent);
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->UpdateLayoutTree(&m_clientLayout, 0);
}

// Events go on to the widget, not the frame: the slider's own press and drag replace the frame's.
void WSlider_I::SendEvent(uint32_t event, WidgetInput* input) {
  if (m_style.IsNil() || !input) return Widget_I::SendEvent(event, input);
  Vector3f mouse;
  input->ProjectRay(&mouse, &m_layout);
  const UIElement_I* e = GetUIElement();
  const Vector3f handle = IsNilObject(e) ? Vector3f{0, 0, 0} : e->m_handleDim;
  switch (event) {
    case kWEventMouseLeftDown: {
      m_dragMode = 0;
      int32_t part = HitPart(mouse.x, mouse.y);
      const bool beside = part < 0;
      if (beside) {
        part = m_orientation != 0 ? 5 : 2;
        m_partStates[2] |= kBarPartOver;
      }
      static constexpr int32_t kModes[6] = {4, 5, 1, 6, 7, 2};
      m_dragMode = kModes[part];
      if (part % 3 == 0) ChangeValue(m_sliderValue - m_sliderStep, input);
      if (part % 3 == 1) ChangeValue(m_sliderValue + m_sliderStep, input);
      if (part % 3 == 2) {
        m_dragMouse = mouse;
        if (beside && part == 2) m_dragMouse.x = std::floor(handle.x * 0.5f) + HandleStart(false);
        if (beside && part == 5) m_dragMouse.y = std::floor(handle.y * 0.5f) + HandleStart(true);
        m_dragTrack = m_track;
      }
      PressBarPart(m_partStates[part % 3], this, input);
      break;
    }
    case kWEventMouseLeftHold: {
      if (m_dragMode != 1 && m_dragMode != 2) break;
      const bool vertical = m_dragMode == 2;
      const float size = vertical ? m_layout.computedSize.y : m_layout.computedSize.x;
      if (!(size > 0.0f)) break;  // a slider of no size has no track to follow
      const float moved = vertical ? mouse.y - m_dragMouse.y : mouse.x - m_dragMouse.x;
      const float t = BarClamp(moved / size * kTrackLength + m_dragTrack, 0.0f, kTrackLength);
      if (std::fabs(t - m_track) < kTrackThreshold) break;
      float v = (m_sliderMax - m_sliderMin) * std::clamp(t * 0.001f, 0.0f, 1.0f);
      if (m_sliderStep > 0.0f) v = std::floor(v / m_sliderStep) * m_sliderStep;
      ChangeValue(v + m_sliderMin, input);
      break;
    }
    default:
      BarPointerStep(event, m_dragMode, m_partStates, event == kWEventFocusActive ? HitPart(mouse.x, mouse.y) % 3 : -1,
                     this, input);
      break;
  }
  Widget_I::SendEvent(event, input);
}

void WSlider_I::DrawSelf(WidgetDrawContext* context, RenderEngine* engine) {
  if (m_layout.visibility == 0 || m_layout.clipState < 0 || m_style.IsNil()) return;
  UIElement_I* e = GetUIElement();
  if (!IsNilObject(e)) {
    const bool vertical = m_orientation != 0;
    const Vector3f& d = m_layout.computedSize;
    const float along = vertical ? d.y : d.x, across = vertical ? d.x : d.y;
    const float arrow = vertical ? e->m_arrowDim.y : e->m_arrowDim.x;
    const float handle = vertical ? e->m_handleDim.y : e->m_handleDim.x;
    const float bar = vertical ? e->m_barDim.x : e->m_barDim.y;
    const float start = HandleStart(vertical);
    float a[9], c[9];
    BarAlongAnchors(along, arrow, start, start + handle, a);
    BarAcrossAnchors(across, bar, c);
    DrawBarControl(e, context, engine, m_layout, vertical, true, m_partStates, a, c);
  }
  for (const Obj<Widget_I>& child : m_widgetArray)
    if (!child.IsNil()) child->Draw(context, engine);
}

}  // namespace PM
