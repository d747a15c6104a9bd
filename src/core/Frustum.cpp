#include "core/Frustum.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace PM {

namespace {

Vector4f UnitPlane(float a, float b, float c, float d) {
  float inv = 1.0f / std::sqrt(a * a + b * b + c * c);
  return {a * inv, b * inv, c * inv, d * inv};
}

float PlaneDistance(const Vector4f& p, const Vector3f& v) { return p.x * v.x + p.y * v.y + p.z * v.z + p.w; }

// Corners: near (l,b) (r,b) (r,t) (l,t), then the same at the far plane; each face's corners in turn,
// faces in plane order.
constexpr int kFaceCorners[6][4] = {{0, 3, 7, 4}, {1, 2, 6, 5}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 1, 2, 3}, {4, 5, 6, 7}};

float SegmentDistanceSquared(const Vector3f& p, const Vector3f& a, const Vector3f& b) {
  Vector3f ab, ap;
  ab.SetDifference(b, a);
  ap.SetDifference(p, a);
  float len2 = ab.LengthSquared();
  float t = len2 > 0.0f ? std::clamp(ap.Dot(ab) / len2, 0.0f, 1.0f) : 0.0f;
  Vector3f q{a.x + ab.x * t - p.x, a.y + ab.y * t - p.y, a.z + ab.z * t - p.z};
  return q.LengthSquared();
}

}  // namespace

void Frustum::Set(float l, float r, float b, float t, float n, float f) {
  // View space looks down -z: x runs from l to r (times depth / near), y from b to t.
  planes[0] = UnitPlane(1.0f, 0.0f, l / n, 0.0f);
  planes[1] = UnitPlane(-1.0f, 0.0f, -r / n, 0.0f);
  planes[2] = UnitPlane(0.0f, 1.0f, b / n, 0.0f);
  planes[3] = UnitPlane(0.0f, -1.0f, -t / n, 0.0f);
  planes[4] = {0.0f, 0.0f, -1.0f, -n};
  planes[5] = {0.0f, 0.0f, 1.0f, f};
  zNear = n;
  zFar = f;
  left = l;
  right = r;
  bottom = b;
  top = t;
  farOverNear = f / n;
  farLeft = l * farOverNear;
  farRight = r * farOverNear;
  farBottom = b * farOverNear;
  farTop = t * farOverNear;
}

int Frustum::CullFrustum(const Spheref& s) const {
  float r = s.radius;
  if (!(r >= 0.0f)) return kEmpty;
  if (r >= 1e10f) return 0;
  float dist[6];
  int centreOut = 0;
  for (int i = 0; i < 6; ++i) {
    dist[i] = PlaneDistance(planes[i], s.center);
    if (dist[i] < -r) return 1 << i;
    if (dist[i] < 0.0f) centreOut |= 1 << i;
  }
  if ((centreOut & (centreOut - 1)) == 0) return 0;

  // The centre is outside two or more planes near an edge or corner: measure the true distance to the
  // volume. Its nearest point lies on a face whose plane the centre is outside; on that face it is
  // either the centre's projection (when that is inside all other planes) or a point of the face's edges.
  const Vector3f corners[8] = {{left, bottom, -zNear},    {right, bottom, -zNear},     {right, top, -zNear},
                               {left, top, -zNear},       {farLeft, farBottom, -zFar}, {farRight, farBottom, -zFar},
                               {farRight, farTop, -zFar}, {farLeft, farTop, -zFar}};
  float best = std::numeric_limits<float>::infinity();
  for (int i = 0; i < 6; ++i) {
    if (!(centreOut & (1 << i))) continue;
    const Vector4f& p = planes[i];
    Vector3f proj{s.center.x - dist[i] * p.x, s.center.y - dist[i] * p.y, s.center.z - dist[i] * p.z};
    bool inside = true;
    for (int j = 0; j < 6 && inside; ++j)
      if (j != i && PlaneDistance(planes[j], proj) < 0.0f) inside = false;
    if (inside) {
      best = std::min(best, dist[i] * dist[i]);
      continue;
    }
    for (int e = 0; e < 4; ++e) {
      const Vector3f& a = corners[kFaceCorners[i][e]];
      const Vector3f& b = corners[kFaceCorners[i][(e + 1) % 4]];
      best = std::min(best, SegmentDistanceSquared(s.center, a, b));
    }
  }
  return best > r * r ? centreOut : 0;
}

}  // namespace PM
