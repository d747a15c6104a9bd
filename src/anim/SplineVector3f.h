// A curve of 3-component keys with in and out tangents that also serves as a path in space: its
// derivative, speed, arc lengths and the point at a distance along it.
#pragma once

#include "anim/SplineKeyed.h"
#include "scene/EngineClass.h"

namespace PM {

class SplineScalarf_I;

class SplineVector3f_I : public SplineKeyed<KeyVector3f> {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF098;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SplineVector3f_I>("SplineVector3f"); }
  static ScriptObject* Create() { return NewEngineObject<SplineVector3f_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SplineVector3f_I>(extraBytes); }

  // The point at `distance` along the path: before 0 the first key, at or past GetLength the last;
  // otherwise the segment holding it, with s linear in the distance within the segment. No keys
  // leave `out` as it was.
  virtual void EvaluateAtLength(Vector3f& out, float distance);
  // d/ds of the curve Evaluate draws, s the parameter of the segment at t. Zero before the first
  // key, at and after the last, on zero-length segments, in step components and with < 2 keys.
  virtual void EvaluateDerivative(Vector3f& out, float t);
  virtual float GetSpeed(float t);
  // The length of the whole path (0 with fewer than two keys).
  virtual float GetLength();
  virtual void SortKeys();
  virtual void ComputeSmoothTangents();
  virtual void ComputeLinearTangents();
  virtual int32_t FindSegment(float t);
  // The length of the path between times t0 and t1 (0 when t1 <= t0): each segment's covered part
  // integrated in its own parameter.
  virtual float GetArcLength(float t0, float t1);
  // The length of segment i (keys i to i + 1); an index outside the segments logs and gives 0.
  virtual float GetSegmentLength(int32_t segment);
  virtual void SortKeyRange(int32_t first, int32_t last);

  // Rebuilds the keys from one scalar spline per component (x first); see AssembleFromScalarSplines.
  bool SetFromScalarSplines(SplineScalarf_I* x, SplineScalarf_I* y, SplineScalarf_I* z);

 private:
  // d/ds of segment i at s (zero on segments without duration and in step components).
  Vector3f SegmentDerivative(int32_t i, float s) const;
  // The length of segment i between parameters sa and sb: Romberg over 1 to 32 intervals.
  float SegmentArc(int32_t i, float sa, float sb) const;
  // The running path length at the end of each segment, rebuilt after the keys change.
  const Array<float>& SegmentEnds();

  Array<float> m_segmentEnds;
  uint32_t m_segmentEndsVersion = ~0u;
};

}  // namespace PM
