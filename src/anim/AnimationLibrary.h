// The curves of an animation and the connection each of them drives.
#pragma once

#include "classes/EngineClass.h"
#include "classes/Object.h"
#include "core/Vector4f.h"

namespace PM {

class SplineBase_I;

class AnimationLibrary_I
    : public EngineClass<AnimationLibrary_I, Object_I, ClassId::AnimationLibrary, "AnimationLibrary"> {
 public:
  static void Define();
  // Slot 1: curve i at `time` (taken to single precision, as the curves keep their times) into the
  // leading components of `out`, as many as the curve is wide. A missing or nil curve is logged and
  // leaves `out` alone.
  virtual void Evaluate(uint32_t i, double time, Vector4f& out);

  // Curve i and GroupPort i belong together: setting either grows both (new curves nil, new ports
  // -1), removing through either removes the same range from both.
  SplineBase_I* GetCurve(int32_t i);
  void SetCurve(int32_t i, SplineBase_I* curve);
  int32_t GetGroupPort(int32_t i);
  void SetGroupPort(int32_t i, int32_t port);
  int32_t GetCurveCount() { return m_curve.Count(); }
  void RemoveCurves(int32_t first, int32_t count);

  double m_startTime = 0.0;
  double m_endTime = 0.0;
  Array<Obj<SplineBase_I>> m_curve;
  Array<int32_t> m_groupPort;

 private:
  bool GrowTo(uint32_t member, int32_t i);
};

enum : uint32_t {
  kMemberLibraryStartTime = 0x01FFF092,
  kMemberLibraryEndTime = 0x02FFF092,
  kMemberLibraryCurve = 0x03FFF092,
  kMemberLibraryGroupPort = 0x04FFF092,
};

}  // namespace PM
