#include "ui/WidgetInput.h"

#include <cmath>

#include "core/Matrix4f.h"
#include "ui/Widget.h"
#include "ui/WidgetLayout.h"
#include "ui/Window.h"

namespace PM {

namespace {

// The ray (o, d) of window space meets the plane z = 0 of the layout's widget at *out. False, with
// (0, 0, 0), when it meets it nowhere (parallel, or a singular world matrix left no usable inverse).
bool ProjectOnto(Vector3f* out, WidgetLayout* layout, const Vector3f& origin, const Vector3f& direction) {
  const float* w = layout->world.m;
  const float det =
      w[0] * (w[5] * w[10] - w[6] * w[9]) - w[1] * (w[4] * w[10] - w[6] * w[8]) + w[2] * (w[4] * w[9] - w[5] * w[8]);
  if (det == 0.0f || !std::isfinite(det)) {
    *out = {0, 0, 0};
    return false;
  }
  layout->UpdateInverse();
  Vector3f o, d;
  TransformPoint(o, origin, layout->inverseWorld);
  TransformVector(d, direction, layout->inverseWorld);
  const float t = o.z / d.z;
  *out = {o.x - d.x * t, o.y - d.y * t, 0.0f};
  if (std::isfinite(out->x) && std::isfinite(out->y)) return true;
  *out = {0, 0, 0};
  return false;
}

}  // namespace

WidgetInput::WidgetInput() = default;

bool WidgetInput::SetPointerRay(const Matrix4f& windowMatrix, float x, float y) {
  Matrix4f inverse;
  if (!inverse.SetInverse(windowMatrix)) return false;
  Vector3f ends[2];
  for (int e = 0; e < 2; ++e) {
    const float z = e == 0 ? -1.0f : 1.0f, *m = inverse.m;
    float v[4];
    for (int c = 0; c < 4; ++c) v[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
    if (v[3] == 0.0f) return false;  // a point at infinity: no ray
    ends[e] = {v[0] / v[3], v[1] / v[3], v[2] / v[3]};
  }
  rayOrigin = ends[0];
  rayDirection = {ends[1].x - ends[0].x, ends[1].y - ends[0].y, ends[1].z - ends[0].z};
  return true;
}

void WidgetInput::ProjectRay(Vector3f* out, WidgetLayout* layout) const {
  ProjectOnto(out, layout, rayOrigin, rayDirection);
}

void WidgetInput::ProjectDragRay(Vector3f* out, WidgetLayout* layout) const {
  ProjectOnto(out, layout, dragRayOrigin, dragRayDirection);
}

int32_t WidgetInput::HitTest(WidgetLayout* layout) const {
  // A rectangle wholly beyond the clip fails the test below for any pointer: no need to project.
  if (layout->OutsideClip({0, 0, 0})) return 0;
  Vector3f p;
  if (!ProjectOnto(&p, layout, rayOrigin, rayDirection)) return 0;
  if (layout->clipState != kClipNone) {
    // The clip rectangle lies in window space; like drawing, the test shifts by the translation only.
    const float x = p.x + layout->world.m[12], y = p.y + layout->world.m[13];
    if (x < layout->clipRect[0] || x > layout->clipRect[1] || y < layout->clipRect[2] || y > layout->clipRect[3])
      return 0;
  }
  return p.x >= 0.0f && p.x < layout->computedSize.x && p.y >= 0.0f && p.y < layout->computedSize.y ? 1 : 0;
}

}  // namespace PM
