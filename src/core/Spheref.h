// Spheref: a bounding sphere; a negative radius is empty, a radius of 1e16 or more infinite.
#pragma once

#include <bit>
#include <cstdint>

#include "core/Vector3f.h"

namespace PM {

struct Matrix4f;

struct Spheref {
  Vector3f center;
  float radius;  // < 0 empty, >= 1e16 infinite

  bool IsEmpty() const { return radius < 0.0f; }
  bool IsInfinite() const { return radius >= 1e16f; }
  // Grows this sphere to enclose o (empty spheres add nothing, infinite ones swallow everything).
  void AddSphere(const Spheref& o);
  // s carried by m: the centre as a point, the radius times the longest axis row; empty and infinite
  // spheres pass through unchanged.
  void SetTransformed(const Spheref& s, const Matrix4f& m);
  // A bounding sphere of the points by Ritter's two-pass method; no points give the empty sphere.
  void SetFromPoints(const Vector3f* points, int count);
};

// Centre (0, 0, 0), radius -1e-16 (bits 0xA4E69595).
inline constexpr Spheref kEmptySpheref{{0.0f, 0.0f, 0.0f}, std::bit_cast<float>(uint32_t(0xA4E69595u))};

}  // namespace PM
