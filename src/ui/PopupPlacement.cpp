#include "ui/PopupPlacement.h"

#include "core/Log.h"
#include "ui/WidgetLayout.h"

namespace PM {

namespace {

// Moves the popup on one axis back inside [lo, hi]: the far edge first, then the near one, so that the
// near edge wins when the popup is larger than the clip.
float PushBack(bool alignMax, float start, float end, float o, float size, float lo, float hi) {
  if (!alignMax) {
    if (start + o + size > hi) o = hi - size - start;
    if (start + o < lo) o = lo - start;
    return o;
  }
  if (end + o - size < lo) o = lo + size - end;
  if (end + o > hi) o = hi - end;
  return o;
}

float PlaceX(const PopupPlacement& p) {
  const float P = p.popup.x, e = p.x + p.width;
  bool alignMax = p.alignX == kAlignMax;
  float o = 0.0f;
  if (p.alignX != kAlignMin && p.alignX != kAlignMax) {
    LogWarn("WPopup: AlignmentModeX must be AlignMin or AlignMax.");
    if (!p.beside) return 0.0f;  // a dropdown keeps it where it is
    alignMax = false;
  } else if (p.beside && !alignMax) {
    o = p.parentWidth;
    if (p.x + o + P > p.clip[1] && p.x - P >= p.clip[0]) o = -P;
  } else if (p.beside) {
    o = -p.parentWidth;
    if (e + o - P < p.clip[0] && e + P <= p.clip[1]) o = P;
  }
  return PushBack(alignMax, p.x, e, o, P, p.clip[0], p.clip[1]);
}

float PlaceY(const PopupPlacement& p) {
  const float P = p.popup.y, h = p.height, e = p.y + h;
  bool alignMax = p.alignY == kAlignMax;
  float o = 0.0f;
  if (p.alignY != kAlignMin && p.alignY != kAlignMax) {
    LogWarn("WPopup: AlignmentModeY must be AlignMin or AlignMax.");
    alignMax = false;
  } else if (p.beside && !alignMax) {
    if (p.y + P > p.clip[3] && e - P >= p.clip[2]) o = h - P;
  } else if (p.beside) {
    if (e - P < p.clip[2] && p.y + P <= p.clip[3]) o = P - h;
  } else if (!alignMax) {
    o = h;
  } else {
    o = -h;
    if (e + o - P < p.clip[2]) o = P;
  }
  return PushBack(alignMax, p.y, e, o, P, p.clip[2], p.clip[3]);
}

}  // namespace

Vector2f PlacePopup(const PopupPlacement& p) { return {PlaceX(p), PlaceY(p)}; }

}  // namespace PM
