// The layout record at the front of every widget: its layout members, what the two layout passes
// compute for it (minimum, size, position, world matrix) and the clip rectangle its children inherit.
// Windows, frames and sizers build records of their own to hand to their children.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/Matrix4f.h"
#include "core/Vector3f.h"

namespace PM {

// Widget.ResizeModeEnum and Widget.AlignmentModeEnum values: each is its own member id.
enum : uint32_t {
  kClassWidgetResizeMode = 0xFFFFF0DA,
  kResizeExact = 0x01FFF0DA,
  kResizeMin = 0x02FFF0DA,
  kResizePercent = 0x03FFF0DA,
  kResizeMinPercent = 0x04FFF0DA,
  kResizeMax = 0x05FFF0DA,
  kClassWidgetAlignmentMode = 0xFFFFF0D9,
  kAlignCenter = 0x01FFF0D9,
  kAlignMin = 0x02FFF0D9,
  kAlignMax = 0x03FFF0D9,
  kAlignBlock = 0x04FFF0D9,
};

// Clip states of a layout record.
enum : int32_t { kClipEmpty = -1, kClipNone = 0, kClipped = 1 };

struct WidgetLayout {
  WidgetLayout();

  // The widget's members of the same names.
  uint32_t visibility = 1;
  uint32_t inputVisibility = 1;
  uint32_t alignmentModeX = kAlignCenter;
  uint32_t alignmentModeY = kAlignCenter;
  uint32_t alignmentModeZ = kAlignMin;
  uint32_t resizeModeX = kResizeExact;
  uint32_t resizeModeY = kResizeExact;
  uint32_t resizeModeZ = kResizeExact;
  Vector3f position{0, 0, 0};
  Vector3f dimension{0, 0, 0};
  bool clipChildren = false;  // a frame's ClipChildren

  // Computed by the layout passes: position relative to the parent's origin, size, the minimum the
  // children need, and that minimum grown by the position offset.
  Vector3f computedPosition{0, 0, 0};
  Vector3f computedSize{0, 0, 0};
  Vector3f minimumSize{0, 0, 0};
  Vector3f outerMinimum{0, 0, 0};
  Matrix4f world = kIdentityMatrix4f;
  int32_t clipState = kClipNone;
  float clipRect[4] = {0, 0, 0, 0};  // x minimum, x maximum, y minimum, y maximum
  int32_t inverseValid = 1;
  // Bit 0: the widget took the hover; bit 2: a descendant did. The combined word adds bit 1 of the
  // parent's combined word.
  int32_t combinedInputFlags = 0;
  int32_t ownInputFlags = 0;
  // Read only by pointer tests and sizers: kept behind what every pass reads and writes, so that a row
  // of a long list costs few cache lines per pass.
  Matrix4f inverseWorld = kIdentityMatrix4f;
  Vector3f cellOrigin{0, 0, 0};  // written by sizers for their cells

  // The minimum size and outer minimum from the children's requirement m, by the resize and
  // alignment modes.
  void ComputeMinimum(const Vector3f& m);
  // Size and position inside the parent record p.
  void ApplyParent(const WidgetLayout& p);
  // This record's clip: p's rectangle narrowed to (x0, x1, y0, y1); empty when nothing is left.
  void ClipTo(const WidgetLayout& p, float x0, float x1, float y0, float y1);
  // Recomputes the inverse world matrix when the world matrix changed since.
  void UpdateInverse();
  // world = translation(computedPosition) * parent (row vectors: the translation acts first).
  void PlaceIn(const Matrix4f& parent) {
    const Vector3f& t = computedPosition;
    for (int c = 0; c < 4; ++c) {
      world.m[c] = parent.m[c];
      world.m[4 + c] = parent.m[4 + c];
      world.m[8 + c] = parent.m[8 + c];
      world.m[12 + c] = t.x * parent.m[c] + t.y * parent.m[4 + c] + t.z * parent.m[8 + c] + parent.m[12 + c];
    }
    inverseValid = 0;
  }
  // True when nothing of the rectangle, grown by `margin` on each side, can show through the clip: the
  // clip is on, the world matrix only translates (as the clip test assumes) and the grown rectangle
  // lies wholly beyond one edge of the clip rectangle. Lets long lists skip rows out of view.
  bool OutsideClip(const Vector3f& margin) const {
    if (clipState != kClipped) return false;
    const float* m = world.m;
    if (m[0] != 1.0f || m[1] != 0.0f || m[2] != 0.0f || m[4] != 0.0f || m[5] != 1.0f || m[6] != 0.0f) return false;
    const float x = m[12], y = m[13];
    return x + computedSize.x + margin.x < clipRect[0] || x - margin.x > clipRect[1] ||
           y + computedSize.y + margin.y < clipRect[2] || y - margin.y > clipRect[3];
  }
  // Clips everything away.
  void ClipAll();
  // Takes the parent's clip state and rectangle.
  void InheritClip(const WidgetLayout& p) {
    clipState = p.clipState;
    for (int i = 0; i < 4; ++i) clipRect[i] = p.clipRect[i];
  }
};

// The layout rules of one axis, shared by the passes; inline because every widget runs them each frame.
namespace WidgetLayoutAxis {

inline float MinimumOnAxis(uint32_t mode, float requested, float needed) {
  switch (mode) {
    case kResizeExact:
      return std::floor(requested);
    case kResizeMin:
      return std::floor(std::max(requested, needed));
    case kResizeMinPercent:
      return needed;  // unrounded: the percentage decides the size later
    case kResizeMax:
      return std::floor(std::min(requested, needed));
    default:
      return 0.0f;  // ResizePercent and unknown modes
  }
}

inline float OuterOnAxis(uint32_t mode, float minimum, float position) {
  const float p = std::floor(position);
  if (mode == kAlignMin) return std::max(minimum + p, 0.0f);
  if (mode == kAlignMax) return std::max(minimum - p, 0.0f);
  return minimum + 2.0f * std::floor(std::fabs(position));
}

inline float SizeOnAxis(uint32_t mode, float size, float minimum, float parentSize, float dimension) {
  if (mode == kResizePercent || mode == kResizeMinPercent) return std::floor(parentSize * dimension);
  if (mode == kResizeMin || mode == kResizeMax) return std::floor(minimum);
  return size;
}

inline float PositionOnAxis(uint32_t mode, float parentSize, float size, float position) {
  if (mode == kAlignCenter) return std::floor((parentSize - size) * 0.5f + position);
  if (mode == kAlignMax) return std::floor(parentSize - size + position);
  return std::floor(position);
}

}  // namespace WidgetLayoutAxis

inline void WidgetLayout::ComputeMinimum(const Vector3f& m) {
  using namespace WidgetLayoutAxis;
  minimumSize = {MinimumOnAxis(resizeModeX, dimension.x, m.x), MinimumOnAxis(resizeModeY, dimension.y, m.y), 0.0f};
  outerMinimum = {OuterOnAxis(alignmentModeX, minimumSize.x, position.x),
                  OuterOnAxis(alignmentModeY, minimumSize.y, position.y), 0.0f};
}

inline void WidgetLayout::ApplyParent(const WidgetLayout& p) {
  using namespace WidgetLayoutAxis;
  computedSize.x = SizeOnAxis(resizeModeX, computedSize.x, minimumSize.x, p.computedSize.x, dimension.x);
  computedSize.y = SizeOnAxis(resizeModeY, computedSize.y, minimumSize.y, p.computedSize.y, dimension.y);
  computedSize.z = 0.0f;
  computedPosition = {PositionOnAxis(alignmentModeX, p.computedSize.x, computedSize.x, position.x),
                      PositionOnAxis(alignmentModeY, p.computedSize.y, computedSize.y, position.y),
                      PositionOnAxis(alignmentModeZ, p.computedSize.z, computedSize.z, position.z)};
}

}  // namespace PM
