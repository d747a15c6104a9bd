#include "ui/BarParts.h"

#include <algorithm>
#include <cmath>

#include "ui/WEvent.h"
#include "ui/Widget.h"
#include "ui/WidgetDrawContext.h"
#include "ui/WidgetInput.h"
#include "ui/Window.h"

namespace PM {

float BarTrack(float length) { return std::isfinite(length) ? std::max(std::floor(length), 0.0f) : 0.0f; }

float BarThumb(float track, float view, float content) {
  if (!(content > 0.0f)) return track;
  const float thumb = std::floor(track / content * view);
  return std::isfinite(thumb) ? std::clamp(thumb, 0.0f, track) : track;
}

float BarThumbOffset(float track, float thumb, float fraction) {
  if (!std::isfinite(fraction)) return 0.0f;
  const float off = std::floor((track - thumb - 0.999755859375f) * fraction + 0.9998779296875f);
  return std::clamp(off, 0.0f, std::max(track - thumb, 0.0f));
}

float BarClamp(float v, float lo, float hi) {
  if (std::isnan(v)) return lo;
  return std::max(std::min(v, hi), lo);
}

void PressBarPart(uint32_t& state, Widget_I* owner, WidgetInput* input) {
  state |= kBarPartPressed;
  TWindow_I* window = input->window.Get();
  if (!IsNilObject(window)) window->SetCaptureWidget(owner);
}

void ReleaseBarParts(int32_t& dragMode, uint32_t* states, int count, Widget_I* owner, WidgetInput* input) {
  TWindow_I* window = input->window.Get();
  if (dragMode != 0 && !IsNilObject(window) && window->GetCaptureWidget() == owner)
    window->SetCaptureWidget(NilScriptObject());
  for (int i = 0; i < count; ++i) states[i] &= ~kBarPartPressed;
  dragMode = 0;
}

void HoverBarParts(uint32_t* states, int count, int part) {
  for (int i = 0; i < count; ++i) states[i] &= ~kBarPartOver;
  if (part >= 0 && part < count) states[part] |= kBarPartOver;
}

bool NoCapture(const WidgetInput* input) {
  TWindow_I* window = input->window.Get();
  return IsNilObject(window) || IsNilObject(window->GetCaptureWidget());
}

bool BarPointerStep(uint32_t event, int32_t& dragMode, uint32_t states[3], int32_t hoverPart, Widget_I* owner,
                    WidgetInput* input) {
  switch (event) {
    case kWEventMouseLeftUp:
      ReleaseBarParts(dragMode, states, 3, owner, input);
      return true;
    case kWEventFocusActive:
      if (NoCapture(input)) HoverBarParts(states, 3, hoverPart);
      return true;
    case kWEventFocusLost:
      HoverBarParts(states, 3, -1);
      return true;
    default:
      return false;
  }
}

Vector4f ContextColor(const WidgetDrawContext* context, float alpha) {
  return {context->color.x, context->color.y, context->color.z, alpha};
}

void BarPartColors(const WidgetDrawContext* context, uint32_t state, bool shown, Vector4f out[3]) {
  const float a = shown ? context->color.w : 0.0f;
  out[0] = ContextColor(context, a);
  out[1] = ContextColor(context, (state & kBarPartOver) ? a : 0.0f);
  out[2] = ContextColor(context, (state & kBarPartPressed) ? a : 0.0f);
}

}  // namespace PM

#include "engine/RenderEngine.h"
#include "ui/UIElement.h"

namespace PM {

void BarAlongAnchors(float length, float arrow, float thumbLow, float thumbHigh, float out[9]) {
  const float values[9] = {0.0f,
                           arrow,
                           thumbLow,
                           thumbHigh,
                           length - arrow,
                           length,
                           std::floor((thumbLow + thumbHigh) * 0.5f),
                           std::floor(arrow * 0.5f),
                           length - std::floor(arrow * 0.5f)};
  std::copy(values, values + 9, out);
}

void BarAcrossAnchors(float size, float thickness, float out[9]) {
  const float values[9] = {0.0f,
                           thickness,
                           size,
                           std::floor(thickness * 0.5f),
                           std::floor(size * 0.5f),
                           size - thickness,
                           size - std::floor(thickness * 0.5f),
                           0.0f,
                           0.0f};
  std::copy(values, values + 9, out);
}

void DrawBarElement(UIElement_I* element, WidgetDrawContext* context, RenderEngine* engine, WidgetLayout& layout,
                    const float h[9], const float v[9], int32_t colorCount, const Vector4f* colors) {
  engine->SetClipRect(layout.clipRect, layout.clipState != kClipNone);
  engine->SetModelViewMatrix(&layout.world);
  engine->UpdateClipRect();
  if (!IsNilObject(element)) element->Draw(context, engine, 9, h, 9, v, colorCount, colors);
}

void BarControlColors(const WidgetDrawContext* context, bool track, const uint32_t states[3], Vector4f out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = ContextColor(context, 0.0f);
  out[0] = ContextColor(context, track ? context->color.w : 0.0f);
  out[1] = ContextColor(context, context->color.w);
  for (int part = 0; part < 3; ++part) BarPartColors(context, states[part], true, out + 4 + 4 * part);
}

void DrawBarControl(UIElement_I* element, WidgetDrawContext* context, RenderEngine* engine, WidgetLayout& layout,
                    bool vertical, bool track, const uint32_t states[3], const float along[9], const float across[9]) {
  Vector4f colors[16];
  BarControlColors(context, track, states, colors);
  DrawBarElement(element, context, engine, layout, vertical ? across : along, vertical ? along : across, 16, colors);
}

}  // namespace PM
