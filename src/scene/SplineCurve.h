// SSplineCurve and TSplineCurve: a cubic non-uniform B-spline (knots and control vertices) as a leaf.
#pragma once

#include "core/Vector3f.h"
#include "scene/Leaf.h"

namespace PM {

class SSplineCurve_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F2;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSplineCurve_I>("SSplineCurve"); }
  static ScriptObject* Create() { return NewEngineObject<SSplineCurve_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSplineCurve_I>(extraBytes); }

  // Fills `out` with m points per non-empty knot span and the curve's end point. Fewer than six knots,
  // m < 1, fewer than (knots - 2) control vertices, no non-empty span or more than 2^31 samples give an
  // empty output.
  virtual void Tessellate(Array<Vector3f>& out, int32_t m);

  Array<float> m_knots;
  Array<Vector3f> m_cvs;
};

class TSplineCurve_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F3;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSplineCurve_I>("TSplineCurve"); }
  static ScriptObject* Create() { return NewEngineNode<TSplineCurve_I, SSplineCurve_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSplineCurve_I, SSplineCurve_I>(n); }
};

// The length of a polyline: the sum of its segments' lengths, 0 for fewer than two points.
float CurveLength(const Array<Vector3f>& points);

// The point at arc length s along a polyline and the unit direction of the segment it lies on; s beyond
// the end gives the last point and the direction of the last segment that has a length. Zero-length
// segments are passed over; no such segment gives direction (0,0,0), no point gives the origin. Every
// segment walked past writes a trace line (index, " C/", the length so far) on the output log.
void CurvePointAtLength(const Array<Vector3f>& points, float s, Vector3f& point, Vector3f& direction);

}  // namespace PM
