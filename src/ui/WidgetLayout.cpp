#include "ui/WidgetLayout.h"

#include <algorithm>
#include <cmath>

namespace PM {

namespace {

constexpr float kEmptyBound = -65536.0f;

}  // namespace

WidgetLayout::WidgetLayout() = default;

void WidgetLayout::ClipTo(const WidgetLayout& p, float x0, float x1, float y0, float y1) {
  if (p.clipState != kClipEmpty && p.clipState != kClipNone && p.clipState != kClipped) return;
  if (p.clipState != kClipEmpty) {
    clipRect[0] = std::max(p.clipRect[0], x0);
    clipRect[1] = std::min(p.clipRect[1], x1);
    clipRect[2] = std::max(p.clipRect[2], y0);
    clipRect[3] = std::min(p.clipRect[3], y1);
    clipState = kClipped;
    if (clipRect[0] < clipRect[1] && clipRect[2] < clipRect[3]) return;
  }
  ClipAll();
}

void WidgetLayout::ClipAll() {
  std::fill(clipRect, clipRect + 4, kEmptyBound);
  clipState = kClipEmpty;
}

void WidgetLayout::UpdateInverse() {
  if (inverseValid) return;
  // A singular world matrix (a zero scale) keeps the last inverse rather than one of infinities.
  inverseWorld.SetInverseAffine(world);
  inverseValid = 1;
}

}  // namespace PM
