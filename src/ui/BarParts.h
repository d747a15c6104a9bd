// The three-part bars (two arrows and a thumb) shared by the scroll frame, the scroll bar and the
// slider: thumb sizes and offsets that stay finite, the pressed and mouse-over bits of each part, the
// mouse capture a held part takes, and the anchor and colour tables the bar elements are drawn with.
#pragma once

#include <cstdint>

#include "core/Vector4f.h"

namespace PM {

class Widget_I;
struct WidgetInput;
struct WidgetDrawContext;

constexpr uint32_t kBarPartPressed = 0x1;
constexpr uint32_t kBarPartOver = 0x4;

// A track length, below 0 counted as 0.
float BarTrack(float length);
// The thumb of a track over a view of `view` units onto content `content` units long: the whole track
// when the content is empty or the result is not finite.
float BarThumb(float track, float view, float content);
// Where the thumb starts along its track for a scroll fraction in [0, 1]: 0 when the fraction is not
// finite, always within [0, track - thumb].
float BarThumbOffset(float track, float thumb, float fraction);
// `v` limited to [lo, hi] with lo <= hi taken as given; a NaN gives lo.
float BarClamp(float v, float lo, float hi);

// A press on a part: its pressed bit, and the mouse captured by `owner` in the input's window.
void PressBarPart(uint32_t& state, Widget_I* owner, WidgetInput* input);
// A release: the capture given back when a drag was on and `owner` holds it; pressed bits and drag mode cleared.
void ReleaseBarParts(int32_t& dragMode, uint32_t* states, int count, Widget_I* owner, WidgetInput* input);
// The mouse-over bits: cleared on every part, then set on `part` (an index into `states`, or -1).
void HoverBarParts(uint32_t* states, int count, int part);
// True while the input's window has no capture widget.
bool NoCapture(const WidgetInput* input);
// The release, hover and leave steps a scroll bar and a slider take alike on their three parts (`hoverPart`
// the part under the pointer, 0-2 or -1); false for any other event.
bool BarPointerStep(uint32_t event, int32_t& dragMode, uint32_t states[3], int32_t hoverPart, Widget_I* owner,
                    WidgetInput* input);

// The three colours of a part (normal, mouse over, pressed) with the context's colour: the last two are
// transparent unless their bit is set, all three when the part is not shown.
void BarPartColors(const WidgetDrawContext* context, uint32_t state, bool shown, Vector4f out[3]);
// The context's colour with alpha `alpha`.
Vector4f ContextColor(const WidgetDrawContext* context, float alpha);

}  // namespace PM

namespace PM {

class RenderEngine;
class UIElement_I;
struct WidgetLayout;

// The nine anchors along a bar: 0, the first arrow's end, the thumb's start and end, the second
// arrow's start, the length, the thumb's middle and the middles of the two arrows.
void BarAlongAnchors(float length, float arrow, float thumbLow, float thumbHigh, float out[9]);
// The nine anchors across a bar: 0, the bar's thickness, the widget's size across, the middles of
// both, the start of a bar at the far side and its middle, then twice 0.
void BarAcrossAnchors(float size, float thickness, float out[9]);
// Sets the engine's clip and matrix from `layout`, then draws `element` (when it is one) with the tables.
void DrawBarElement(UIElement_I* element, WidgetDrawContext* context, RenderEngine* engine, WidgetLayout& layout,
                    const float h[9], const float v[9], int32_t colorCount, const Vector4f* colors);
// The sixteen colours of a scroll bar or slider: 0 the track (`track` alpha), 1 the bar, then from 4
// the first arrow, from 8 the second arrow, from 12 the thumb, each normal, mouse over, pressed.
void BarControlColors(const WidgetDrawContext* context, bool track, const uint32_t states[3], Vector4f out[16]);
// Draws a scroll bar or slider from its anchors along and across the bar and its sixteen colours.
void DrawBarControl(UIElement_I* element, WidgetDrawContext* context, RenderEngine* engine, WidgetLayout& layout,
                    bool vertical, bool track, const uint32_t states[3], const float along[9], const float across[9]);

}  // namespace PM
