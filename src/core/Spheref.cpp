#include "core/Spheref.h"

#include <algorithm>
#include <cmath>

#include "core/Matrix4f.h"

namespace PM {

void Spheref::AddSphere(const Spheref& o) {
  if (IsEmpty() || o.IsInfinite()) {
    *this = o;
    return;
  }
  if (o.IsEmpty() || IsInfinite()) return;
  float d = center.Distance(o.center);
  if (d + o.radius <= radius) return;
  if (d + radius <= o.radius) {
    *this = o;
    return;
  }
  float grown = (d + radius + o.radius) * 0.5f;
  float k = (grown - radius) / d;
  center = {center.x + (o.center.x - center.x) * k, center.y + (o.center.y - center.y) * k,
            center.z + (o.center.z - center.z) * k};
  radius = grown;
}

void Spheref::SetTransformed(const Spheref& s, const Matrix4f& m) {
  if (s.IsEmpty() || s.IsInfinite()) {
    *this = s;
    return;
  }
  float longest = std::max({m.Row(0).LengthSquared(), m.Row(1).LengthSquared(), m.Row(2).LengthSquared()});
  Vector3f c;
  TransformPoint(c, s.center, m);
  center = c;
  radius = s.radius * std::sqrt(longest);
}

void Spheref::SetFromPoints(const Vector3f* points, int count) {
  if (!points || count <= 0) {
    *this = kEmptySpheref;
    return;
  }
  // First pass: the extreme points along each axis; the widest pair is the first diameter.
  int lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (int i = 1; i < count; ++i) {
    const float* p = &points[i].x;
    for (int a = 0; a < 3; ++a) {
      if (p[a] < (&points[lo[a]].x)[a]) lo[a] = i;
      if (p[a] > (&points[hi[a]].x)[a]) hi[a] = i;
    }
  }
  int best = 0;
  float bestD2 = -1.0f;
  for (int a = 0; a < 3; ++a) {
    float d2 = points[lo[a]].Distance(points[hi[a]]);
    d2 *= d2;
    if (d2 > bestD2) bestD2 = d2, best = a;
  }
  const Vector3f& p0 = points[lo[best]];
  const Vector3f& p1 = points[hi[best]];
  center = {(p0.x + p1.x) * 0.5f, (p0.y + p1.y) * 0.5f, (p0.z + p1.z) * 0.5f};
  radius = std::sqrt(bestD2) * 0.5f;

  // Second pass: each point outside grows the sphere just enough to touch it.
  for (int i = 0; i < count; ++i) {
    Vector3f d;
    d.SetDifference(points[i], center);
    float d2 = d.LengthSquared();
    if (d2 <= radius * radius) continue;
    float dist = std::sqrt(d2);
    float grown = (radius + dist) * 0.5f;
    float k = (grown - radius) / dist;
    center = {center.x + d.x * k, center.y + d.y * k, center.z + d.z * k};
    radius = grown;
  }
}

}  // namespace PM
