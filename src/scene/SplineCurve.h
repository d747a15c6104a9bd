// SSplineCurve and TSplineCurve: a cubic non-uniform B-spline (knots and control vertices) as a leaf.
#pragma once

#include "core/Vector3f.h"
#include "scene/Leaf.h"

namespace PM {

class SSplineCurve_I : public EngineClass<SSplineCurve_I, SLeaf_I, ClassId::SSplineCurve, "SSplineCurve"> {
 public:
  static void Define();
  // Fills `out` with m points per non-empty knot span and the curve's end point. Fewer than six knots,
  // m < 1, fewer than (knots - 2) control vertices, no non-empty span or more than 2^31 samples give an
  // empty output.
  virtual void Tessellate(Array<Vector3f>& out, int32_t m);

  Array<float> m_knots;
  Array<Vector3f> m_cvs;
};

class TSplineCurve_I
    : public EngineClass<TSplineCurve_I, TLeaf_I, ClassId::TSplineCurve, "TSplineCurve", SSplineCurve_I> {
 public:
};

// The length of a polyline: the sum of its segments' lengths, 0 for fewer than two points.
float CurveLength(const Array<Vector3f>& points);

// The point at arc length s along a polyline and the unit direction of the segment it lies on; s beyond
// the end gives the last point and the direction of the last segment that has a length. Zero-length
// segments are passed over; no such segment gives direction (0,0,0), no point gives the origin. Every
// segment walked past writes a trace line (index, " C/", the length so far) on the output log.
void CurvePointAtLength(const Array<Vector3f>& points, float s, Vector3f& point, Vector3f& direction);

}  // namespace PM
