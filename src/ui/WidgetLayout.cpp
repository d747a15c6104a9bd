#include "ui/WidgetLayout.h"

#include <algorithm>
#include <cmath>

namespace PM {

namespace {

constexpr float kEmptyBound = -65536.0f;

float MinimumOnAxis(uint32_t mode, float requested, float needed) {
  switch (mode) {
    case kResizeExact: return std::floor(requested);
    case kResizeMin: return std::floor(std::max(requested, needed));
    case kResizeMinPercent: return needed;  // unrounded: the percentage decides the size later
    case kResizeMax: return std::floor(std::min(requested, needed));
    default: return 0.0f;  // ResizePercent and unknown modes
  }
}

float OuterOnAxis(uint32_t mode, float minimum, float position) {
  const float p = std::floor(position);
  if (mode == kAlignMin) return std::max(minimum + p, 0.0f);
  if (mode == kAlignMax) return std::max(minimum - p, 0.0f);
  return minimum + 2.0f * std::floor(std::fabs(position));
}

float SizeOnAxis(uint32_t mode, float size, float minimum, float parentSize, float dimension) {
  if (mode == kResizePercent || mode == kResizeMinPercent) return std::floor(parentSize * dimension);
  if (mode == kResizeMin || mode == kResizeMax) return std::floor(minimum);
  return size;
}

float PositionOnAxis(uint32_t mode, float parentSize, float size, float position) {
  if (mode == kAlignCenter) return std::floor((parentSize - size) * 0.5f + position);
  if (mode == kAlignMax) return std::floor(parentSize - size + position);
  return std::floor(position);
}

}  // namespace

WidgetLayout::WidgetLayout() = default;

void WidgetLayout::ComputeMinimum(const Vector3f& m) {
  minimumSize = {MinimumOnAxis(resizeModeX, dimension.x, m.x), MinimumOnAxis(resizeModeY, dimension.y, m.y), 0.0f};
  outerMinimum = {OuterOnAxis(alignmentModeX, minimumSize.x, position.x),
                  OuterOnAxis(alignmentModeY, minimumSize.y, position.y), 0.0f};
}

void WidgetLayout::ApplyParent(const WidgetLayout& p) {
  computedSize.x = SizeOnAxis(resizeModeX, computedSize.x, minimumSize.x, p.computedSize.x, dimension.x);
  computedSize.y = SizeOnAxis(resizeModeY, computedSize.y, minimumSize.y, p.computedSize.y, dimension.y);
  computedSize.z = 0.0f;
  computedPosition = {PositionOnAxis(alignmentModeX, p.computedSize.x, computedSize.x, position.x),
                      PositionOnAxis(alignmentModeY, p.computedSize.y, computedSize.y, position.y),
                      PositionOnAxis(alignmentModeZ, p.computedSize.z, computedSize.z, position.z)};
}

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
  std::fill(clipRect, clipRect + 4, kEmptyBound);
  clipState = kClipEmpty;
}

void WidgetLayout::UpdateInverse() {
  if (inverseValid) return;
  // A singular world matrix (a zero scale) keeps the last inverse rather than one of infinities.
  inverseWorld.SetInverseAffine(world);
  inverseValid = 1;
}

void WidgetLayout::PlaceIn(const Matrix4f& parent) {
  const Vector3f& t = computedPosition;
  for (int c = 0; c < 4; ++c) {
    world.m[c] = parent.m[c];
    world.m[4 + c] = parent.m[4 + c];
    world.m[8 + c] = parent.m[8 + c];
    world.m[12 + c] = t.x * parent.m[c] + t.y * parent.m[4 + c] + t.z * parent.m[8 + c] + parent.m[12 + c];
  }
  inverseValid = 0;
}

}  // namespace PM
