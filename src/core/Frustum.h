// Frustum: the view-space culling volume of a perspective camera looking down -z, as 35 floats.
#pragma once

#include "core/Spheref.h"
#include "core/Vector4f.h"

namespace PM {

struct Frustum {
  // Clip-code bits of the planes, in the order the planes are stored.
  enum : int { kLeft = 1, kRight = 2, kBottom = 4, kTop = 8, kNear = 16, kFar = 32, kEmpty = 63 };

  Vector4f planes[6];  // (a, b, c, d): unit normal pointing inside; a point is outside when a x + b y + c z + d < 0
  float zNear, zFar;
  float left, right, bottom, top;              // at the near plane
  float farLeft, farRight, farBottom, farTop;  // the same times far/near
  float farOverNear;

  // Bounds at the near plane, near and far distances (both positive).
  void Set(float left, float right, float bottom, float top, float zNear, float zFar);
  // 0 when the sphere may be visible; otherwise the bit of a plane it lies wholly outside, or the
  // combined bits of the planes its centre is outside when the exact edge or corner test culls it.
  // 63 for an empty sphere (negative or NaN radius); 0 for a radius of 1e10 or more.
  int CullFrustum(const Spheref& s) const;
};

static_assert(sizeof(Frustum) == 35 * sizeof(float));

}  // namespace PM
